// Whatever the SMS centre's side of the call sends: the send ends with the
// line hung up and the window unlocked, and the next send gets its receipt.
//
// Input: one byte of options, then reads, each a pause (in 50 ms steps), a
// length and that many bytes.
#include <string>

#include "fuzz_session.h"
#include "sim/sim_modem.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_smsc.h"

namespace tolvane {

int FuzzOne(const uint8_t* data, size_t size) {
  SessionRun run(data, size);
  sim::SimSmsc smsc(run.Schedule());
  sim::SimModem modem(run.Schedule(), smsc);
  sim::SimSerialPort port(run.loop, modem);
  ProgramSettings& settings = run.settings;
  settings.EjKvittoOn = run.options & 1;
  settings.EjKvitto = settings.EjKvittoOn ? "1" : "0";
  settings.FelkorrigeringOn = !(run.options & 2);
  MainWindow window(settings, run.peripherals.Services(run.loop, port), run.peripherals.host);
  window.ConfigureTransports();
  window.OnTemporaryNumberToggled(true);
  window.OnNumberEdited("0701234567");
  const bool double_message = run.options & 4;
  window.OnDoubleToggled(double_message);
  window.OnMessageEdited(double_message ? std::string(170, 'x') : "Hello");

  // The centre keeps quiet; the reads below speak for it, starting once the
  // first submit has arrived.
  smsc.Options().answer = false;
  bool first_send_over = false;
  std::function<void()> next_read = [&] {
    if (run.input.remaining_bytes() == 0 || first_send_over) return;
    const int pause_ms = run.input.ConsumeIntegral<uint8_t>() * 50;
    const std::string read =
        run.input.ConsumeBytesAsString(run.input.ConsumeIntegralInRange(1, 64));
    run.loop.After(std::chrono::milliseconds(pause_ms), [&, read] {
      if (first_send_over) return;
      smsc.Write(read);
      next_read();
    });
  };
  std::function<void()> await_submit = [&] {
    if (smsc.Submits().empty()) {
      run.loop.After(std::chrono::milliseconds(50), await_submit);
    } else {
      next_read();
    }
  };
  await_submit();
  window.StartSend();
  first_send_over = true;
  FUZZ_CHECK(SendEndedCleanly(window, port.IsOpen()));

  smsc.Options() = {};
  window.OnDoubleToggled(false);
  SoundSend(
      window, [&port] { return port.IsOpen(); },
      settings.EjKvittoOn ? "Message sent." : sim::SimSmsc::DeliveredText("0701234567"));
  return 0;
}

}  // namespace tolvane
