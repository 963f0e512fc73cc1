#ifndef TOLVANE_SIM_PTY_MODEM_SERVER_H_
#define TOLVANE_SIM_PTY_MODEM_SERVER_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "sim/sim_modem.h"
#include "sim/sim_smsc.h"

namespace tolvane::sim {

// The simulated modem and SMS centre behind a pseudo-terminal, in real time
// (POSIX only). The program opens DevicePath() as its serial port.
//
// A pseudo-terminal has no DTR: the program closing the port (the master sees
// a hang-up) counts as the DTR drop, so the modem goes back to command mode.
// The master stays open, so the device path stays valid for the next call.
class PtyModemServer {
 public:
  // Throws std::runtime_error when no pseudo-terminal can be had.
  PtyModemServer(ModemOptions modem_options, SmscOptions smsc_options);
  ~PtyModemServer();
  PtyModemServer(const PtyModemServer&) = delete;
  PtyModemServer& operator=(const PtyModemServer&) = delete;

  const std::string& DevicePath() const { return device_path_; }
  // Serves the line for at most `max_wait_ms`: reads what the program wrote
  // and runs the answers that are due.
  void Poll(int max_wait_ms);
  // The device vanishes, as a USB modem pulled out: the master is closed.
  void Unplug();
  // The program has the device open.
  bool PeerOpen() const { return peer_open_; }

  SimModem& Modem() { return modem_; }
  SimSmsc& Smsc() { return smsc_; }

 private:
  using SteadyClock = std::chrono::steady_clock;

  void Schedule(int milliseconds, std::function<void()> action);
  void RunDue();
  void Write(const std::string& bytes);
  void PeerGone();

  int master_ = -1;
  std::string device_path_;
  bool peer_open_ = false;
  uint64_t next_seq_ = 0;
  std::map<std::pair<SteadyClock::time_point, uint64_t>, std::function<void()>> due_;
  SimSmsc smsc_;
  SimModem modem_;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_PTY_MODEM_SERVER_H_
