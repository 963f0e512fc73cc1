#ifndef TOLVANE_SIM_PTY_MODEM_SERVER_H_
#define TOLVANE_SIM_PTY_MODEM_SERVER_H_

#include <string>

#include "sim/pty_line_server.h"
#include "sim/sim_modem.h"
#include "sim/sim_smsc.h"

namespace tolvane::sim {

// The simulated modem and SMS centre behind a pseudo-terminal, in real time.
// The program closing the port counts as the DTR drop, so the modem goes back
// to command mode.
class PtyModemServer {
 public:
  // Throws std::runtime_error when no pseudo-terminal can be had.
  PtyModemServer(ModemOptions modem_options, SmscOptions smsc_options);

  const std::string& DevicePath() const { return line_.DevicePath(); }
  void Poll(int max_wait_ms) { line_.Poll(max_wait_ms); }
  void Unplug() { line_.Unplug(); }
  bool PeerOpen() const { return line_.PeerOpen(); }

  SimModem& Modem() { return modem_; }
  SimSmsc& Smsc() { return smsc_; }

 private:
  PtyLineServer line_;
  SimSmsc smsc_;
  SimModem modem_;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_PTY_MODEM_SERVER_H_
