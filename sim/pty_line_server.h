#ifndef TOLVANE_SIM_PTY_LINE_SERVER_H_
#define TOLVANE_SIM_PTY_LINE_SERVER_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "sim/line_device.h"
#include "sim/scheduler.h"

namespace tolvane::sim {

// A simulated line device behind a pseudo-terminal, in real time (POSIX
// only). The program opens DevicePath() as its serial port.
//
// A pseudo-terminal has no DTR: the program closing the port (the master sees
// a hang-up) counts as the DTR drop. The master stays open, so the device
// path stays valid for the next call.
class PtyLineServer {
 public:
  // Throws std::runtime_error when no pseudo-terminal can be had.
  PtyLineServer();
  ~PtyLineServer();
  PtyLineServer(const PtyLineServer&) = delete;
  PtyLineServer& operator=(const PtyLineServer&) = delete;

  // Paces the device's answers on the poll loop.
  Scheduler MakeScheduler();
  // The device the line leads to; it must outlive the server's polling.
  void Attach(LineDevice& device);

  const std::string& DevicePath() const { return device_path_; }
  // Serves the line for at most `max_wait_ms`: reads what the program wrote
  // and runs the answers that are due.
  void Poll(int max_wait_ms);
  // The device vanishes, as a USB modem pulled out: the master is closed.
  void Unplug();
  // The program has the device open.
  bool PeerOpen() const { return peer_open_; }

 private:
  using SteadyClock = std::chrono::steady_clock;

  void Schedule(int milliseconds, std::function<void()> action);
  void RunDue();
  void Write(const std::string& bytes);
  void PeerCame();
  void PeerGone();

  int master_ = -1;
  std::string device_path_;
  bool peer_open_ = false;
  LineDevice* device_ = nullptr;
  uint64_t next_seq_ = 0;
  std::map<std::pair<SteadyClock::time_point, uint64_t>, std::function<void()>> due_;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_PTY_LINE_SERVER_H_
