#include "smpp/smpp_receipt.h"

#include <algorithm>
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

// SMPP 3.4 section 5.2.28 and appendix B. Only DELIVERED says the message
// arrived: providers send ACCEPTED when they took it, so it waits on.
constexpr KnownState kStates[] = {
    {1, "ENROUTE", "ENROUTE", State::kStillTrying},
    {2, "DELIVRD", "DELIVERED", State::kDelivered},
    {3, "EXPIRED", "EXPIRED", State::kFailed},
    {4, "DELETED", "DELETED", State::kFailed},
    {5, "UNDELIV", "UNDELIVERABLE", State::kFailed},
    {6, "ACCEPTD", "ACCEPTED", State::kStillTrying},
    {7, "UNKNOWN", "UNKNOWN", State::kFailed},
    {8, "REJECTD", "REJECTED", State::kFailed},
};

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The word after "key:" in the receipt text, up to a blank; nothing when the
// key is missing.
std::optional<std::string> Field(std::string_view text, std::string_view key) {
  for (size_t at = 0; at < text.size(); ++at) {
    if ((at == 0 || text[at - 1] == ' ') && text.size() - at > key.size() &&
        text[at + key.size()] == ':' && SameLetters(text.substr(at, key.size()), key)) {
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
  const KnownState* by_state = nullptr;
  const KnownState* by_stat = nullptr;
  for (const KnownState& state : kStates) {
    if (deliver.message_state == state.value) by_state = &state;
    if (SameLetters(stat, state.stat)) by_stat = &state;
  }
  // A message_state outside SMPP 3.4's leaves the text to say.
  const KnownState* known = by_state ? by_state : by_stat;
  if (receipt.message_id.empty() || known == nullptr) return std::nullopt;
  receipt.state = known->state;
  receipt.state_name = known->name;
  return receipt;
}

}  // namespace tolvane
