#ifndef TOLVANE_TESTS_FUZZ_FUZZ_SESSION_H_
#define TOLVANE_TESTS_FUZZ_FUZZ_SESSION_H_

#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "bulk/group_sending.h"
#include "core/main_window.h"
#include "core/secret_store.h"
#include "fuzz_check.h"
#include "sim/scheduler.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_tcp_connection.h"
#include "sim/tcp_peer.h"
#include "support/window_peripherals.h"

namespace tolvane {

// One run of a target that sends from the main window: the input with its
// first byte of options taken, the loop, settings that log, and, when the run
// ends, no log, secret or message box left for the next run. The peripherals
// live across runs (a phone book each run is slow).
struct SessionRun {
  SessionRun(const uint8_t* data, size_t size)
      : peripherals(SharedPeripherals()),
        settings(peripherals.settings),
        input(data, size),
        options(input.ConsumeIntegral<uint8_t>()) {
    settings.Logg = "1";
    settings.LoggOn = true;
  }
  ~SessionRun() {
    std::remove((settings.ProgramFolder + "loggfil.txt").c_str());
    std::remove((settings.ProgramFolder + SecretStore::kFileName).c_str());
    peripherals.dialogs.Clear();
  }
  static testing::WindowPeripherals& SharedPeripherals() {
    static testing::WindowPeripherals shared;
    return shared;
  }
  // Paces a simulated peer on the loop.
  sim::Scheduler Schedule() {
    return [this](int ms, std::function<void()> action) {
      loop.After(std::chrono::milliseconds(ms), std::move(action));
    };
  }

  testing::WindowPeripherals& peripherals;
  ProgramSettings settings;
  FuzzedDataProvider input;
  const uint8_t options;
  sim::SimEventLoop loop;
};

// A send is over as the user must see it: "&Send" usable, "&Cancel" not, the
// line (a port, a connection) closed, and `receipt` shown when one is given.
// Says what it saw otherwise.
inline bool SendEndedCleanly(const MainWindow& window, bool line_open,
                             const std::string* receipt = nullptr) {
  const std::string& shown = window.Control(MainControl::kReceiptLine).text;
  const bool clean = window.Control(MainControl::kSend).enabled &&
                     !window.Control(MainControl::kCancel).enabled && !line_open &&
                     (receipt == nullptr || shown == *receipt);
  if (!clean) {
    std::fprintf(stderr, "receipt \"%s\", send %d, cancel %d, line open %d\n", shown.c_str(),
                 window.Control(MainControl::kSend).enabled,
                 window.Control(MainControl::kCancel).enabled, line_open);
  }
  return clean;
}

// A send of "Again" to the number typed, to a peer that behaves: it ends
// cleanly with `receipt`.
inline void SoundSend(MainWindow& window, const std::function<bool()>& line_open,
                      const std::string& receipt) {
  window.OnMessageEdited("Again");
  window.StartSend();
  FUZZ_CHECK(SendEndedCleanly(window, line_open(), &receipt));
}

// The two sends of a session's fuzz target: the one the script answers (a
// run of three, as a list order starts one, when `run`; otherwise one to a
// temporary number), then, once `hand_over` gave the line to the simulated
// peer, one more, which must get `receipt`. Each must end cleanly.
inline void ScriptedThenSoundSend(MainWindow& window, const std::function<bool()>& line_open,
                                  const std::string& text, bool run,
                                  const std::function<void()>& hand_over,
                                  const std::string& receipt = "Message delivered.") {
  window.OnMessageEdited(text);
  if (run) {
    window.Groups().SetGroupMembers({"0701", "0702", "0703"});
    window.SetAutosendInProgress(true);
    window.Groups().SandGruppAuto();
    window.SetAutosendInProgress(false);
  } else {
    window.OnTemporaryNumberToggled(true);
    window.OnNumberEdited("+46701234567");
    window.StartSend();
  }
  FUZZ_CHECK(SendEndedCleanly(window, line_open()));

  hand_over();
  window.OnTemporaryNumberToggled(true);
  window.OnNumberEdited("+46701234567");
  SoundSend(window, line_open, receipt);
}

// The fuzzer's side of a line while `scripted`: steps it plays on the loop,
// each after its pause, unless the script has ended or the line was opened
// anew (`session_`) meanwhile. Once it has ended, `peer` speaks through `to_`.
class Script {
 public:
  Script(sim::SimEventLoop& loop, FuzzedDataProvider& input) : input_(input), loop_(loop) {}

  bool scripted = true;

 protected:
  // After a pause, `bytes` in pieces of `piece`, or the line dropped.
  struct Step {
    int pause_ms = 0;
    std::string bytes;
    bool drop = false;
    size_t piece = std::string::npos;
  };
  void Play(const Step& step) {
    loop_.After(std::chrono::milliseconds(step.pause_ms), [this, step, session = session_] {
      if (!scripted || session != session_) return;
      if (step.drop) {
        if (drop_) drop_();
        return;
      }
      for (size_t at = 0; at < step.bytes.size() && to_; at += step.piece) {
        to_(step.bytes.substr(at, step.piece));
      }
    });
  }
  std::function<void(const std::string&)> AfterScript() {
    return [this](const std::string& bytes) {
      if (!scripted && to_) to_(bytes);
    };
  }

  FuzzedDataProvider& input_;
  std::function<void(const std::string&)> to_;
  std::function<void()> drop_;
  int session_ = 0;

 private:
  sim::SimEventLoop& loop_;
};

// A peer of a TCP session that speaks from the script, then hands the
// connection to the simulated `Peer`. `Reader` cuts what the program writes
// into requests; after each, while the script lasts, `Answer` says what
// comes back.
template <typename Peer, typename Reader, typename Request>
class ScriptedTcpPeer : public sim::TcpPeer, public Script {
 public:
  ScriptedTcpPeer(sim::SimEventLoop& loop, FuzzedDataProvider& input, Peer& peer)
      : Script(loop, input), peer_(peer) {
    peer_.SetToClient(AfterScript());
    peer_.SetDropClient([this] {
      if (!scripted && drop_) drop_();
    });
  }

  void SetToClient(std::function<void(const std::string&)> to_client) override {
    to_ = std::move(to_client);
  }
  void SetDropClient(std::function<void()> drop_client) override { drop_ = std::move(drop_client); }
  bool Accept() override {
    reader_ = Reader();
    ++session_;
    return scripted || peer_.Accept();
  }
  void FromClient(const std::string& bytes) override {
    if (!scripted) return peer_.FromClient(bytes);
    for (const Request& request : reader_.Feed(bytes)) {
      if (input_.remaining_bytes() > 0) Play(Answer(request));
    }
  }
  void ClientClosed() override {
    if (!scripted) peer_.ClientClosed();
  }

 protected:
  virtual Step Answer(const Request& request) = 0;

 private:
  Peer& peer_;
  Reader reader_;
};

// A session target over TCP: `Scripted` speaks for `Peer` until the first
// send is over; `line` is where the window finds the connection. `configure`
// fills the transport's section from the options (bits 4 and 8 pick a long
// text and a run of three); the secret `secret` is stored.
template <typename Peer, typename Scripted>
int RunTcpSession(const uint8_t* data, size_t size,
                  TcpConnection* testing::WindowPeripherals::*line, std::string_view secret,
                  const std::function<void(ProgramSettings&, uint8_t)>& configure) {
  SessionRun run(data, size);
  Peer peer(run.Schedule());
  Scripted scripted(run.loop, run.input, peer);
  sim::SimTcpConnection connection(run.loop, scripted);
  configure(run.settings, run.options);
  SecretStore(run.settings.ProgramFolder).WriteSecret(secret, "secret");
  run.peripherals.*line = &connection;
  MainWindow window(run.settings, run.peripherals.Services(run.loop), run.peripherals.host);
  run.peripherals.*line = nullptr;
  window.ConfigureTransports();
  ScriptedThenSoundSend(
      window, [&connection] { return connection.IsOpen(); },
      run.options & 4 ? std::string(400, 'x') : "Hej", run.options & 8,
      [&scripted] { scripted.scripted = false; });
  return 0;
}

}  // namespace tolvane

#endif  // TOLVANE_TESTS_FUZZ_FUZZ_SESSION_H_
