#ifndef TOLVANE_SMPP_SMPP_RECEIPT_H_
#define TOLVANE_SMPP_SMPP_RECEIPT_H_

#include <optional>
#include <string>

#include "smpp/smpp_commands.h"
#include "sms/status_report.h"

namespace tolvane {

// What a delivery receipt says of one submitted part.
struct SmppReceipt {
  std::string message_id;
  DeliveryOutcome state = DeliveryOutcome::kStillTrying;
  // The state's SMPP name, such as "UNDELIVERABLE", for "Not delivered: ".
  std::string state_name;

  bool operator==(const SmppReceipt&) const = default;
};

// The receipt a deliver_sm carries: the message id from the
// receipted_message_id parameter or else the "id:" of the receipt text, the
// state from a known message_state or else "stat:" (in any case). Nothing
// when the deliver_sm is not a receipt or names no message or no state.
std::optional<SmppReceipt> ReadSmppReceipt(const DeliverSm& deliver);

}  // namespace tolvane

#endif  // TOLVANE_SMPP_SMPP_RECEIPT_H_
