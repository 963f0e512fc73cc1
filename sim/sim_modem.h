#ifndef TOLVANE_SIM_SIM_MODEM_H_
#define TOLVANE_SIM_SIM_MODEM_H_

#include <functional>
#include <string>
#include <vector>

#include "sim/line_device.h"
#include "sim/scheduler.h"
#include "sim/sim_smsc.h"

namespace tolvane::sim {

// How the simulated modem answers commands and calls.
struct ModemOptions {
  enum class InitReply { kOk, kError, kSilent };
  enum class DialOutcome { kConnect, kNoDialtone, kNoCarrier, kSilent };

  bool echo = true;
  // The answer to every command other than a dial.
  InitReply init_reply = InitReply::kOk;
  // BUSY this many more times before the outcome.
  int busy_count = 0;
  DialOutcome outcome = DialOutcome::kConnect;
  std::string connect_text = "CONNECT 9600";
  int reply_delay_ms = 100;
  // From the dial command to its result.
  int dial_delay_ms = 8000;
};

// A Hayes modem with the SMS centre at the other end of its calls. In command
// mode it echoes, answers OK or ERROR and dials; once connected it passes
// bytes both ways until either side hangs up or DTR drops.
class SimModem : public LineDevice {
 public:
  SimModem(Scheduler schedule, SimSmsc& smsc, ModemOptions options = {});

  void SetToDte(std::function<void(const std::string&)> to_dte) override;
  void SetOnCarrier(std::function<void(bool)> on_carrier) override;
  void FromDte(const std::string& bytes) override;
  // A drop of DTR hangs up (AT&D2).
  void SetDtr(bool on) override;
  bool Carrier() const override { return carrier_; }
  // The far end hangs up.
  void DropCarrier();

  ModemOptions& Options() { return options_; }
  // Command lines received, without the carriage return.
  const std::vector<std::string>& Commands() const { return commands_; }
  int DialCount() const { return dial_count_; }

 private:
  void Command(const std::string& line);
  void Dial();
  void Result(const std::string& text);
  void SetCarrier(bool on);
  // Back to command mode; pending results of the old call are dropped.
  void HangUp();
  void Later(int milliseconds, std::function<void()> action);

  Scheduler schedule_;
  SimSmsc& smsc_;
  ModemOptions options_;
  std::function<void(const std::string&)> to_dte_;
  std::function<void(bool)> on_carrier_;
  bool carrier_ = false;
  bool dtr_ = false;
  int generation_ = 0;
  int dial_count_ = 0;
  std::string line_;
  std::vector<std::string> commands_;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_MODEM_H_
