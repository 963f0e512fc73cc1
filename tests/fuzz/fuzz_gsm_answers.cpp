// Whatever a GSM modem answers, in whatever reads: AT lines, prompts,
// unsolicited lines and status-report PDUs. The send ends (at the latest at
// a time-out) with the port closed and the window unlocked, and the next
// send, to a well-behaved modem, gets its report.
//
// Input: one byte of options, then reads, each a pause (in 20 ms steps), a
// length and that many bytes; one read goes out after each command line,
// PDU or ESC the program writes.
#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "core/main_window.h"
#include "core/secret_store.h"
#include "fuzz_check.h"
#include "gsm/gsm_settings.h"
#include "send_ended.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_gsm_modem.h"
#include "sim/sim_serial_port.h"
#include "support/window_peripherals.h"

namespace tolvane {
namespace {

// Speaks from the fuzzer's script while `scripted`, then hands the line to
// the simulated modem.
class ScriptedGsmModem : public sim::LineDevice {
 public:
  ScriptedGsmModem(sim::SimEventLoop& loop, FuzzedDataProvider& input, sim::SimGsmModem& modem)
      : loop_(loop), input_(input), modem_(modem) {
    modem_.SetToDte([this](const std::string& bytes) {
      if (!scripted && to_dte_) to_dte_(bytes);
    });
  }

  void SetToDte(std::function<void(const std::string&)> to_dte) override {
    to_dte_ = std::move(to_dte);
  }
  void SetOnCarrier(std::function<void(bool)> on_carrier) override {
    modem_.SetOnCarrier(std::move(on_carrier));
  }
  void FromDte(const std::string& bytes) override {
    if (!scripted) return modem_.FromDte(bytes);
    for (char c : bytes) {
      if (c == '\r' || c == '\x1A' || c == '\x1B') Answer();
    }
  }
  void SetDtr(bool on) override { modem_.SetDtr(on); }
  bool Carrier() const override { return true; }

  bool scripted = true;

 private:
  void Answer() {
    if (input_.remaining_bytes() == 0) return;
    const int pause_ms = input_.ConsumeIntegral<uint8_t>() * 20;
    const std::string read = input_.ConsumeBytesAsString(input_.ConsumeIntegralInRange(1, 96));
    loop_.After(std::chrono::milliseconds(pause_ms), [this, read] {
      if (scripted && to_dte_) to_dte_(read);
    });
  }

  sim::SimEventLoop& loop_;
  FuzzedDataProvider& input_;
  sim::SimGsmModem& modem_;
  std::function<void(const std::string&)> to_dte_;
};

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  static testing::WindowPeripherals peripherals;
  FuzzedDataProvider input(data, size);
  const uint8_t options = input.ConsumeIntegral<uint8_t>();

  sim::SimEventLoop loop;
  sim::SimGsmModem modem([&loop](int ms, std::function<void()> action) {
    loop.After(std::chrono::milliseconds(ms), std::move(action));
  });
  ScriptedGsmModem scripted(loop, input, modem);
  sim::SimSerialPort port(loop, scripted);
  ProgramSettings settings = peripherals.settings;
  settings.AccessTyp = "GSM";
  settings.transports.Get<GsmSettings>().Device = "/dev/ttyUSB2";
  settings.Logg = "1";
  settings.LoggOn = true;
  settings.EjKvittoOn = options & 1;
  settings.EjKvitto = settings.EjKvittoOn ? "1" : "0";
  if (options & 2) settings.transports.Get<GsmSettings>().Smsc = "+46700000000";
  SecretStore(settings.ProgramFolder).WriteSecret(kGsmPinSecret, "1234");
  peripherals.gsm_port = &port;
  MainWindow window(settings, peripherals.Services(loop), peripherals.host);
  peripherals.gsm_port = nullptr;
  window.ConfigureTransports();
  window.OnTemporaryNumberToggled(true);
  window.OnNumberEdited("+46701234567");
  window.OnMessageEdited(options & 4 ? std::string(200, 'x') : "Hello");
  window.StartSend();
  FUZZ_CHECK(SendEndedCleanly(window, port.IsOpen()));

  scripted.scripted = false;
  window.OnMessageEdited("Again");
  window.StartSend();
  FUZZ_CHECK(SendEndedCleanly(window, port.IsOpen()));
  const std::string& receipt = window.Control(MainControl::kReceiptLine).text;
  if (receipt != (settings.EjKvittoOn ? "Message sent." : "Message delivered.")) {
    std::fprintf(stderr, "second send: receipt \"%s\"\n", receipt.c_str());
    FUZZ_CHECK(false);
  }

  std::remove((settings.ProgramFolder + "loggfil.txt").c_str());
  std::remove((settings.ProgramFolder + SecretStore::kFileName).c_str());
  peripherals.dialogs.Clear();
  return 0;
}

}  // namespace tolvane
