#include "core/part_receipts.h"

#include <algorithm>
#include <cctype>

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

std::optional<MessageState> ReceiptState(DeliveryOutcome outcome, const std::string& reason) {
  switch (outcome) {
    case DeliveryOutcome::kDelivered:
      return MessageState::kDelivered;
    case DeliveryOutcome::kStillTrying:
      return std::nullopt;
    case DeliveryOutcome::kFailed:
      break;
  }
  std::string lower(reason);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.find("expired") != std::string::npos ? MessageState::kExpired
                                                    : MessageState::kFailed;
}

void FinishSend(SendContext& context, const std::string& receipt) {
  context.SetReceiptLine(receipt);
  context.Beep();
  context.EndSend();
}

}  // namespace tolvane
