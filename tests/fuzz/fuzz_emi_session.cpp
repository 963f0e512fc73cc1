// Whatever an SMS centre sends over a UCP/EMI session, cut into whatever
// pieces: raw bytes, floods of STX and ETX, overlong frames, sound answers
// with any TRN, operation and fields, operations of the centre's own, a
// dropped connection. A send or a run of three ends (at the latest at a
// time-out or after the last new login) with the connection closed and the
// window unlocked, and the next send, to a well-behaved centre, gets its
// notification.
//
// Input: one byte of options, then steps, one after each frame the program
// writes: a pause (in 50 ms steps), a kind and its bytes, and the size of
// the pieces they arrive in.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/main_window.h"
#include "core/secret_store.h"
#include "emi/emi_frame_reader.h"
#include "emi/emi_settings.h"
#include "fuzz_check.h"
#include "send_ended.h"
#include "sim/sim_emi_centre.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_tcp_connection.h"
#include "support/window_peripherals.h"
#include "ucp/ucp_frame.h"

namespace tolvane {
namespace {

constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';

// Speaks from the fuzzer's script while `scripted`, then hands the
// connection to the simulated centre.
class ScriptedEmiCentre : public sim::TcpPeer {
 public:
  ScriptedEmiCentre(sim::SimEventLoop& loop, FuzzedDataProvider& input, sim::SimEmiCentre& centre)
      : loop_(loop), input_(input), centre_(centre) {
    centre_.SetToClient([this](const std::string& bytes) {
      if (!scripted && to_client_) to_client_(bytes);
    });
    centre_.SetDropClient([this] {
      if (!scripted && drop_client_) drop_client_();
    });
  }

  void SetToClient(std::function<void(const std::string&)> to_client) override {
    to_client_ = std::move(to_client);
  }
  void SetDropClient(std::function<void()> drop_client) override {
    drop_client_ = std::move(drop_client);
  }
  bool Accept() override {
    reader_ = EmiFrameReader();
    ++session_;
    return scripted ? true : centre_.Accept();
  }
  void FromClient(const std::string& bytes) override {
    if (!scripted) return centre_.FromClient(bytes);
    for (const std::string& text : reader_.Feed(bytes)) Answer(text);
  }
  void ClientClosed() override {
    if (!scripted) centre_.ClientClosed();
  }

  bool scripted = true;

 private:
  std::vector<std::string> Fields() {
    std::vector<std::string> fields(input_.ConsumeIntegralInRange(0, 34));
    for (std::string& field : fields) {
      field = input_.ConsumeBool() ? "" : input_.ConsumeRandomLengthString(24);
    }
    return fields;
  }

  void Answer(const std::string& request) {
    if (input_.remaining_bytes() == 0) return;
    const std::optional<UcpFrame> asked = ReadUcpFrame(request);
    const int pause_ms = input_.ConsumeIntegral<uint8_t>() * 50;
    std::string bytes;
    bool drop = false;
    switch (input_.ConsumeIntegralInRange(0, 5)) {
      case 0:
        bytes = input_.ConsumeBytesAsString(input_.ConsumeIntegralInRange(1, 64));
        break;
      case 1: {
        // An answer to what came, or to another TRN, with any fields.
        const int trn = input_.ConsumeBool() && asked ? asked->transaction_reference
                                                      : input_.ConsumeIntegralInRange(0, 99);
        const std::string operation = asked ? asked->operation : "51";
        std::vector<std::string> fields = Fields();
        if (input_.ConsumeBool()) fields.insert(fields.begin(), input_.ConsumeBool() ? "A" : "N");
        bytes = kStx + SealUcpFrame(trn, 'R', operation, fields) + kEtx;
        break;
      }
      case 2: {
        // An operation of the centre's own: 31, 52, 53 or any.
        static const char* kOperations[] = {"31", "52", "53", "60", "99"};
        const char* operation = kOperations[input_.ConsumeIntegralInRange(0, 4)];
        bytes = kStx +
                SealUcpFrame(input_.ConsumeIntegralInRange(0, 99), 'O', operation, Fields()) + kEtx;
        break;
      }
      case 3: {
        // A flood of STX or ETX, or a frame far too long.
        const size_t count = input_.ConsumeIntegralInRange<size_t>(1, 3000);
        const char c = input_.PickValueInArray({kStx, kEtx, '7'});
        bytes = std::string(1, kStx) + std::string(count, c) + (input_.ConsumeBool() ? "" : "\x03");
        break;
      }
      case 4: {
        // A sound frame with one byte changed or cut short.
        std::string frame = SealUcpFrame(0, 'R', "51", {"A", "", "0:0"});
        const size_t at = input_.ConsumeIntegralInRange<size_t>(0, frame.size() - 1);
        if (input_.ConsumeBool()) {
          frame.resize(at);
        } else {
          frame[at] = static_cast<char>(input_.ConsumeIntegral<uint8_t>());
        }
        bytes = kStx + frame + kEtx;
        break;
      }
      default:
        drop = true;
    }
    const size_t piece = input_.ConsumeIntegralInRange<size_t>(1, 64);
    loop_.After(std::chrono::milliseconds(pause_ms),
                [this, bytes, drop, piece, session = session_] {
                  if (!scripted || session != session_) return;
                  if (drop) {
                    if (drop_client_) drop_client_();
                    return;
                  }
                  for (size_t at = 0; at < bytes.size() && to_client_; at += piece) {
                    to_client_(bytes.substr(at, piece));
                  }
                });
  }

  sim::SimEventLoop& loop_;
  FuzzedDataProvider& input_;
  sim::SimEmiCentre& centre_;
  std::function<void(const std::string&)> to_client_;
  std::function<void()> drop_client_;
  EmiFrameReader reader_;
  int session_ = 0;
};

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  static testing::WindowPeripherals peripherals;
  FuzzedDataProvider input(data, size);
  const uint8_t options = input.ConsumeIntegral<uint8_t>();

  sim::SimEventLoop loop;
  sim::SimEmiCentre centre([&loop](int ms, std::function<void()> action) {
    loop.After(std::chrono::milliseconds(ms), std::move(action));
  });
  ScriptedEmiCentre scripted(loop, input, centre);
  sim::SimTcpConnection connection(loop, scripted);
  ProgramSettings settings = peripherals.settings;
  settings.AccessTyp = "EMI";
  settings.transports.Get<EmiSettings>().Host = "smsc.example.net";
  settings.transports.Get<EmiSettings>().User = "tolvane";
  settings.transports.Get<EmiSettings>().Window = options & 1 ? "1" : "10";
  settings.transports.Get<EmiSettings>().ResendUnanswered = options & 2 ? "1" : "0";
  settings.transports.Get<EmiSettings>().AltHost = options & 16 ? "backup.example.net" : "";
  settings.transports.Get<EmiSettings>().Alphabet = options & 32 ? "IRA" : "GSM";
  settings.Logg = "1";
  settings.LoggOn = true;
  SecretStore(settings.ProgramFolder).WriteSecret(kEmiSecret, "secret");
  peripherals.emi_connection = &connection;
  MainWindow window(settings, peripherals.Services(loop), peripherals.host);
  peripherals.emi_connection = nullptr;
  window.ConfigureTransports();
  ScriptedThenSoundSend(
      window, [&connection] { return connection.IsOpen(); },
      options & 4 ? std::string(400, 'x') : "Hej", options & 8,
      [&scripted] { scripted.scripted = false; });

  std::remove((settings.ProgramFolder + "loggfil.txt").c_str());
  std::remove((settings.ProgramFolder + SecretStore::kFileName).c_str());
  peripherals.dialogs.Clear();
  return 0;
}

}  // namespace tolvane
