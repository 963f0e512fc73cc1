#include "core/part_receipts.h"

#include <algorithm>

#include "core/receipt_texts.h"

namespace tolvane {

void PartReceipts::Note(SendContext& context, const std::string& key, DeliveryOutcome outcome,
                        const std::string& reason) {
  auto part = std::find(waiting_.begin(), waiting_.end(), key);
  if (part == waiting_.end()) return;
  if (outcome == DeliveryOutcome::kStillTrying) {
    context.SetStatusLine("The network is still trying: " + reason);
  } else if (outcome == DeliveryOutcome::kFailed) {
    failed_ = true;
    failure_ = reason;
  } else {
    waiting_.erase(part);
  }
}

std::string PartReceipts::ReceiptText() const {
  return failed_ ? kReceiptNotDelivered + failure_ : std::string(kReceiptDelivered);
}

void FinishSend(SendContext& context, const std::string& receipt) {
  context.SetReceiptLine(receipt);
  context.Beep();
  context.EndSend();
}

}  // namespace tolvane
