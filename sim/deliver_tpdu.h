#ifndef TOLVANE_SIM_DELIVER_TPDU_H_
#define TOLVANE_SIM_DELIVER_TPDU_H_

#include <optional>
#include <string>
#include <vector>

#include "sms/status_report.h"

namespace tolvane::sim {

// A message the simulated network brings to the SIM.
struct GsmDelivery {
  // "+46701234567", national digits, or an alphanumeric name.
  std::string sender;
  std::string text;  // UTF-8
  // The parts that come, 1-based, in the order they come (a part may come
  // twice or not at all); empty: every part in order.
  std::vector<int> parts;
  // The concatenation reference of a linked message; -1 takes the network's
  // next one.
  int reference = -1;
  bool flash = false;  // class 0
};

// The SMS-DELIVER TPDUs (no service-centre address before them) of the
// message: GSM 7-bit when every character is in the alphabet, otherwise
// UCS-2; a long text in linked parts with an 8-bit reference. Nothing when
// the sender is neither a number nor a name of at most 11 GSM characters, or
// a part asked for is not one of the message's.
std::optional<std::vector<std::string>> BuildDeliverTpdus(const GsmDelivery& delivery,
                                                          int reference,
                                                          const SmsTimestamp& centre_time);

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_DELIVER_TPDU_H_
