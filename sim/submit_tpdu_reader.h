#ifndef TOLVANE_SIM_SUBMIT_TPDU_READER_H_
#define TOLVANE_SIM_SUBMIT_TPDU_READER_H_

#include <optional>
#include <string>
#include <string_view>

#include "sim/taken_part.h"

namespace tolvane::sim {

// What the simulated GSM network needs of an SMS-SUBMIT: where it goes,
// whether a status report is wanted, and the part with its text.
struct SubmitTpdu {
  std::string recipient;        // "+46701234567" for an international number
  std::string recipient_field;  // the address field as it came, for the status report
  bool report_requested = false;
  TakenPart part;
};

// Reads a whole SMS-SUBMIT TPDU (no service-centre address before it).
// Nothing for another kind of TPDU, a field cut short, or user data whose
// length does not match its length octet.
std::optional<SubmitTpdu> ReadSubmitTpdu(std::string_view octets);

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SUBMIT_TPDU_READER_H_
