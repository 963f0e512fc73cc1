#ifndef TOLVANE_SIM_PTY_GSM_MODEM_SERVER_H_
#define TOLVANE_SIM_PTY_GSM_MODEM_SERVER_H_

#include <string>

#include "sim/pty_line_server.h"
#include "sim/sim_gsm_modem.h"

namespace tolvane::sim {

// The simulated GSM modem behind a pseudo-terminal, in real time. The program
// closing the port counts as the DTR drop, which resets the modem's settings.
class PtyGsmModemServer {
 public:
  // Throws std::runtime_error when no pseudo-terminal can be had.
  explicit PtyGsmModemServer(GsmModemOptions options);

  const std::string& DevicePath() const { return line_.DevicePath(); }
  void Poll(int max_wait_ms) { line_.Poll(max_wait_ms); }
  bool PeerOpen() const { return line_.PeerOpen(); }

  SimGsmModem& Modem() { return modem_; }

 private:
  PtyLineServer line_;
  SimGsmModem modem_;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_PTY_GSM_MODEM_SERVER_H_
