#include "core/part_record.h"

#include <utility>

#include "core/part_receipts.h"

namespace tolvane {

void PartRecord::BeginDouble() {
  SendState& state = context_.State();
  held_ = std::exchange(state.message_id, 0);
  context_.Ledger().Cut(held_, 2, -1, "");
}

void PartRecord::EndDouble() {
  if (held_ != 0) context_.State().message_id = std::exchange(held_, 0);
}

std::string PartRecord::Writing(int index) {
  const std::int64_t message = held_ != 0 ? held_ : context_.State().message_id;
  if (message != part_.message) accepted_.clear();
  part_ = {message, index};
  awaiting_answer_ = false;
  std::string refusal = context_.Ledger().Writing({part_});
  awaiting_answer_ = refusal.empty();
  return refusal;
}

void PartRecord::Answer(MessageState state, const std::string& ref, const std::string& detail) {
  if (!std::exchange(awaiting_answer_, false)) return;
  if (state == MessageState::kAccepted) accepted_[ref] = part_;
  context_.Ledger().Answered(part_, state, ref, detail);
}

void PartRecord::Accepted(const std::string& ref) { Answer(MessageState::kAccepted, ref, ""); }

void PartRecord::Refused(const std::string& detail) { Answer(MessageState::kRefused, "", detail); }

void PartRecord::Unanswered(const std::string& detail) {
  Answer(MessageState::kUnknown, "", detail);
}

void PartRecord::Receipt(const std::string& ref, DeliveryOutcome outcome,
                         const std::string& reason) {
  const auto part = accepted_.find(ref);
  const std::optional<MessageState> state = ReceiptState(outcome, reason);
  if (part != accepted_.end() && state)
    context_.Ledger().Answered(part->second, *state, ref, reason);
}

}  // namespace tolvane
