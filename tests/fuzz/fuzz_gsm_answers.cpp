// Whatever a GSM modem answers: the send ends with the port closed and the
// window unlocked, and the next send, to a well-behaved modem, gets its
// report.
//
// Input: one byte of options, then reads, each a pause (in 20 ms steps), a
// length and that many bytes.
#include <string>

#include "fuzz_session.h"
#include "gsm/gsm_settings.h"
#include "sim/sim_gsm_modem.h"
#include "sim/sim_serial_port.h"

namespace tolvane {
namespace {

// Speaks from the script, one read after each command line, PDU or ESC,
// then hands the line to the simulated modem.
class ScriptedGsmModem : public sim::LineDevice, public Script {
 public:
  ScriptedGsmModem(sim::SimEventLoop& loop, FuzzedDataProvider& input, sim::SimGsmModem& modem)
      : Script(loop, input), modem_(modem) {
    modem_.SetToDte(AfterScript());
  }

  void SetToDte(std::function<void(const std::string&)> to_dte) override {
    to_ = std::move(to_dte);
  }
  void SetOnCarrier(std::function<void(bool)> on_carrier) override {
    modem_.SetOnCarrier(std::move(on_carrier));
  }
  void FromDte(const std::string& bytes) override {
    if (!scripted) return modem_.FromDte(bytes);
    for (char c : bytes) {
      if ((c == '\r' || c == '\x1A' || c == '\x1B') && input_.remaining_bytes() > 0) {
        Play({.pause_ms = input_.ConsumeIntegral<uint8_t>() * 20,
              .bytes = input_.ConsumeBytesAsString(input_.ConsumeIntegralInRange(1, 96))});
      }
    }
  }
  void SetDtr(bool on) override { modem_.SetDtr(on); }
  bool Carrier() const override { return true; }

 private:
  sim::SimGsmModem& modem_;
};

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  SessionRun run(data, size);
  sim::SimGsmModem modem(run.Schedule());
  ScriptedGsmModem scripted(run.loop, run.input, modem);
  sim::SimSerialPort port(run.loop, scripted);
  ProgramSettings& settings = run.settings;
  settings.AccessTyp = "GSM";
  settings.transports.Get<GsmSettings>().Device = "/dev/ttyUSB2";
  settings.EjKvittoOn = run.options & 1;
  settings.EjKvitto = settings.EjKvittoOn ? "1" : "0";
  if (run.options & 2) settings.transports.Get<GsmSettings>().Smsc = "+46700000000";
  SecretStore(settings.ProgramFolder).WriteSecret(kGsmPinSecret, "1234");
  run.peripherals.gsm_port = &port;
  MainWindow window(settings, run.peripherals.Services(run.loop), run.peripherals.host);
  run.peripherals.gsm_port = nullptr;
  window.ConfigureTransports();
  ScriptedThenSoundSend(
      window, [&port] { return port.IsOpen(); }, run.options & 4 ? std::string(200, 'x') : "Hello",
      false, [&scripted] { scripted.scripted = false; },
      settings.EjKvittoOn ? "Message sent." : "Message delivered.");
  return 0;
}

}  // namespace tolvane
