#ifndef TOLVANE_CORE_PART_RECEIPTS_H_
#define TOLVANE_CORE_PART_RECEIPTS_H_

#include <optional>
#include <string>
#include <vector>

#include "core/send_context.h"
#include "sms/status_report.h"
#include "store/message_state.h"

namespace tolvane {

// The delivery receipts of a message's parts as they come in, each part
// named by its key (a message reference, a message id). The message is
// delivered when every part's receipt says so, and not delivered as soon as
// one part's says it failed; a part the network still tries keeps it waiting.
class PartReceipts {
 public:
  explicit PartReceipts(std::vector<std::string> keys) : waiting_(std::move(keys)) {}

  // Takes a receipt in; one for no part of the message is passed over. A
  // part still tried shows `reason` on the status line.
  void Note(SendContext& context, const std::string& key, DeliveryOutcome outcome,
            const std::string& reason);
  bool Final() const { return waiting_.empty() || failed_; }
  // "Message delivered." or "Not delivered: <reason>", once final.
  std::string ReceiptText() const;

 private:
  std::vector<std::string> waiting_;
  bool failed_ = false;
  std::string failure_;
};

// What a receipt makes of its part in the message store; nothing while the
// network still tries.
std::optional<MessageState> ReceiptState(DeliveryOutcome outcome, const std::string& reason);

// Shows the outcome on the receipt line, beeps and ends the send.
void FinishSend(SendContext& context, const std::string& receipt);

}  // namespace tolvane

#endif  // TOLVANE_CORE_PART_RECEIPTS_H_
