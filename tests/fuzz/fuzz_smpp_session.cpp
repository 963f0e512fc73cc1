// Whatever an SMPP provider sends over a session, in whatever pieces: raw
// bytes, answers with any status and body, deliver_sm of any content, a
// dropped connection. A send or a run of three ends (at the latest at a
// time-out or after the last new bind) with the connection closed and the
// window unlocked, and the next send, to a well-behaved provider, gets its
// receipt.
//
// Input: one byte of options, then steps, one after each PDU the program
// writes: a pause (in 50 ms steps), a kind and its bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "core/main_window.h"
#include "core/secret_store.h"
#include "fuzz_check.h"
#include "send_ended.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_smpp_provider.h"
#include "sim/sim_tcp_connection.h"
#include "smpp/smpp_pdu.h"
#include "smpp/smpp_pdu_reader.h"
#include "smpp/smpp_settings.h"
#include "support/window_peripherals.h"

namespace tolvane {
namespace {

// Speaks from the fuzzer's script while `scripted`, then hands the
// connection to the simulated provider.
class ScriptedSmppProvider : public sim::TcpPeer {
 public:
  ScriptedSmppProvider(sim::SimEventLoop& loop, FuzzedDataProvider& input,
                       sim::SimSmppProvider& provider)
      : loop_(loop), input_(input), provider_(provider) {
    provider_.SetToClient([this](const std::string& bytes) {
      if (!scripted && to_client_) to_client_(bytes);
    });
    provider_.SetDropClient([this] {
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
    reader_ = SmppPduReader();
    ++session_;
    return scripted ? true : provider_.Accept();
  }
  void FromClient(const std::string& bytes) override {
    if (!scripted) return provider_.FromClient(bytes);
    for (const SmppPdu& pdu : reader_.Feed(bytes)) Answer(pdu);
  }
  void ClientClosed() override {
    if (!scripted) provider_.ClientClosed();
  }

  bool scripted = true;

 private:
  void Answer(const SmppPdu& request) {
    if (input_.remaining_bytes() == 0) return;
    const int pause_ms = input_.ConsumeIntegral<uint8_t>() * 50;
    std::string bytes;
    bool drop = false;
    switch (input_.ConsumeIntegralInRange(0, 3)) {
      case 0:
        bytes = input_.ConsumeBytesAsString(input_.ConsumeIntegralInRange(1, 64));
        break;
      case 1: {
        // The answer to what came, with any status and body.
        const uint32_t status = input_.ConsumeBool() ? 0 : input_.ConsumeIntegral<uint8_t>();
        const std::string body = input_.ConsumeBytesAsString(input_.ConsumeIntegralInRange(0, 24));
        bytes = EncodePdu({request.command | kResponseBit, status, request.sequence, body});
        break;
      }
      case 2: {
        const std::string body = input_.ConsumeBytesAsString(input_.ConsumeIntegralInRange(0, 96));
        bytes = EncodePdu({kDeliverSm, 0, next_sequence_++, body});
        break;
      }
      default:
        drop = true;
    }
    loop_.After(std::chrono::milliseconds(pause_ms), [this, bytes, drop, session = session_] {
      if (!scripted || session != session_) return;
      if (drop) {
        if (drop_client_) drop_client_();
      } else if (to_client_) {
        to_client_(bytes);
      }
    });
  }

  sim::SimEventLoop& loop_;
  FuzzedDataProvider& input_;
  sim::SimSmppProvider& provider_;
  std::function<void(const std::string&)> to_client_;
  std::function<void()> drop_client_;
  SmppPduReader reader_;
  int session_ = 0;
  uint32_t next_sequence_ = 1;
};

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  static testing::WindowPeripherals peripherals;
  FuzzedDataProvider input(data, size);
  const uint8_t options = input.ConsumeIntegral<uint8_t>();

  sim::SimEventLoop loop;
  sim::SimSmppProvider provider([&loop](int ms, std::function<void()> action) {
    loop.After(std::chrono::milliseconds(ms), std::move(action));
  });
  ScriptedSmppProvider scripted(loop, input, provider);
  sim::SimTcpConnection connection(loop, scripted);
  ProgramSettings settings = peripherals.settings;
  settings.AccessTyp = "SMPP";
  settings.transports.Get<SmppSettings>().Host = "smpp.example.net";
  settings.transports.Get<SmppSettings>().SystemId = "tolvane";
  settings.transports.Get<SmppSettings>().Window = options & 1 ? "1" : "10";
  settings.transports.Get<SmppSettings>().ResendUnanswered = options & 2 ? "1" : "0";
  settings.Logg = "1";
  settings.LoggOn = true;
  SecretStore(settings.ProgramFolder).WriteSecret(kSmppSecret, "secret");
  peripherals.smpp_connection = &connection;
  MainWindow window(settings, peripherals.Services(loop), peripherals.host);
  peripherals.smpp_connection = nullptr;
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
