#ifndef TOLVANE_GSM_GSM_SETUP_H_
#define TOLVANE_GSM_GSM_SETUP_H_

#include <string>

#include "core/program_settings.h"
#include "gsm/gsm_link.h"

namespace tolvane {

// What the set-up found out.
struct GsmReadiness {
  // Why the modem cannot send; empty when it is ready.
  std::string failure;
  // Status reports reach the program (routed or stored), so they can be
  // asked for.
  bool reports = false;
  // "Tolvane Mobile, signal 21 of 31", for the status line.
  std::string network;
};

// Brings a GSM modem on a freshly opened port to where it sends: echo off,
// verbose errors, the SIM unlocked, PDU mode, the report routing it offers,
// the service centre and the extra Init command.
//
// The stored PIN goes to the SIM at most once while the program runs: a
// wrong one tried again and again would lock the SIM for its PUK.
class GsmSetup {
 public:
  static constexpr int kAnswerMs = 10000;

  // `pin` is the stored secret, asked for only when the SIM wants it.
  GsmReadiness Run(GsmLink& link, const ProgramSettings& settings,
                   const std::function<std::string()>& pin);

 private:
  // Empty when the SIM is ready.
  std::string UnlockSim(GsmLink& link, const std::function<std::string()>& pin);
  // True when status reports will reach the program.
  bool RouteReports(GsmLink& link);

  bool pin_sent_ = false;
};

}  // namespace tolvane

#endif  // TOLVANE_GSM_GSM_SETUP_H_
