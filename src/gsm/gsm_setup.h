#ifndef TOLVANE_GSM_GSM_SETUP_H_
#define TOLVANE_GSM_GSM_SETUP_H_

#include <functional>
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

// The stored SIM PIN: read when the SIM wants it, dropped once the SIM has
// refused it (false when it could not be dropped).
struct SimPinStore {
  std::function<std::string()> read;
  std::function<bool()> forget;
};

// Brings a GSM modem on a freshly opened port to where it sends: echo off,
// verbose errors, the SIM unlocked, PDU mode, new messages stored and
// announced, the report routing it offers,
// the service centre and the extra Init command.
//
// A PIN the SIM refuses is dropped from the store, so each PIN the user
// stores goes to the SIM at most once: a wrong one tried again and again
// would lock the SIM for its PUK. A PIN the SIM took is given again when the
// SIM asks anew (the modem plugged in again).
class GsmSetup {
 public:
  static constexpr int kAnswerMs = 10000;
  // A SIM still starting answers "SIM busy": asked again every second, for
  // at most this many times.
  static constexpr int kSimBusyPollMs = 1000;
  static constexpr int kSimBusyPolls = 15;

  // `show` puts a text on the status line.
  GsmReadiness Run(GsmLink& link, const ProgramSettings& settings, const SimPinStore& pin,
                   const std::function<void(const std::string&)>& show);

 private:
  // Empty when the SIM is ready.
  std::string UnlockSim(GsmLink& link, const SimPinStore& pin,
                        const std::function<void(const std::string&)>& show);
  // The PIN was refused: dropped, and the text that says so.
  std::string Refused(const SimPinStore& pin, const std::string& text);
  // True when status reports will reach the program.
  bool RouteReports(GsmLink& link);

  // The SIM was ready in an earlier set-up: asking for the PIN now, it has
  // been plugged in anew.
  bool sim_was_ready_ = false;
  // The PIN that went to the SIM and whose verdict never came.
  std::string unjudged_pin_;
  // A refused PIN could not be dropped: none is tried again in this run.
  bool pin_blocked_ = false;
};

}  // namespace tolvane

#endif  // TOLVANE_GSM_GSM_SETUP_H_
