#include "smpp/smpp_receipt.h"

#include <cctype>
#include <string_view>

namespace tolvane {
namespace {

using State = DeliveryOutcome;

struct KnownState {
  int value;              // message_state
  std::string_view stat;  // the receipt text's short form
  std::string_view name;
  State state;
};

// SMPP 3.4 section 5.2.28 and appendix B. ACCEPTED means a person took the
// message for the subscriber: it arrived.
constexpr KnownState kStates[] = {
    {1, "ENROUTE", "ENROUTE", State::kStillTrying},  {2, "DELIVRD", "DELIVERED", State::kDelivered},
    {3, "EXPIRED", "EXPIRED", State::kFailed},       {4, "DELETED", "DELETED", State::kFailed},
    {5, "UNDELIV", "UNDELIVERABLE", State::kFailed}, {6, "ACCEPTD", "ACCEPTED", State::kDelivered},
    {7, "UNKNOWN", "UNKNOWN", State::kFailed},       {8, "REJECTD", "REJECTED", State::kFailed},
};

// The word after "key:" in the receipt text, up to a blank; nothing when the
// key is missing.
std::optional<std::string> Field(std::string_view text, std::string_view key) {
  for (size_t at = 0; at < text.size(); ++at) {
    if ((at == 0 || text[at - 1] == ' ') && text.size() - at > key.size() &&
        text[at + key.size()] == ':') {
      bool same = true;
      for (size_t i = 0; i < key.size() && same; ++i) {
        same = std::tolower(static_cast<unsigned char>(text[at + i])) == key[i];
      }
      if (!same) continue;
      const size_t start = at + key.size() + 1;
      return std::string(text.substr(start, text.find(' ', start) - start));
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<SmppReceipt> ReadSmppReceipt(const DeliverSm& deliver) {
  if (!deliver.IsDeliveryReceipt()) return std::nullopt;
  SmppReceipt receipt;
  receipt.message_id = deliver.receipted_message_id;
  if (receipt.message_id.empty())
    receipt.message_id = Field(deliver.short_message, "id").value_or("");
  const std::string stat = Field(deliver.short_message, "stat").value_or("");
  const KnownState* known = nullptr;
  for (const KnownState& state : kStates) {
    if (deliver.message_state ? *deliver.message_state == state.value : stat == state.stat) {
      known = &state;
    }
  }
  if (receipt.message_id.empty() || known == nullptr) return std::nullopt;
  receipt.state = known->state;
  receipt.state_name = known->name;
  return receipt;
}

}  // namespace tolvane
