#include "inbox/conversation_names.h"

#include "platform/store_error.h"
#include "sms/sms_address.h"

namespace tolvane {

namespace {

// The shortest national number matched at the end of an international one;
// fewer digits would find strangers.
constexpr size_t kMinNationalDigits = 6;

}  // namespace

void ConversationNames::Load(PhoneBookStore* store) {
  by_number_.clear();
  by_national_.clear();
  if (store == nullptr) return;
  try {
    std::unique_ptr<RecordCursor> people = store->OpenCursor(kPhoneBookTable);
    for (people->MoveFirst(); !people->Eof(); people->MoveNext()) {
      const std::string number = NormalisedNumber(people->Field(kFieldTelenummer));
      const std::string name = people->Field(kFieldNamn);
      if (number.empty() || name.empty()) continue;
      by_number_.emplace(number, name);
      const size_t national = number.find_first_not_of('0');
      if (number.front() == '0' && national != std::string::npos &&
          number.size() - national >= kMinNationalDigits) {
        by_national_.emplace(number.substr(national), name);
      }
    }
  } catch (const StoreError&) {
    // Without the phone book the numbers stand for themselves.
  }
}

std::string ConversationNames::NameOf(const std::string& number) const {
  if (auto found = by_number_.find(number); found != by_number_.end()) return found->second;
  // "+46701234567" ends with the national "701234567" after a country code
  // of one to three digits.
  if (number.starts_with('+')) {
    for (size_t country = 1; country <= 3 && country + 1 < number.size(); ++country) {
      if (auto found = by_national_.find(number.substr(1 + country)); found != by_national_.end()) {
        return found->second;
      }
    }
  }
  return {};
}

}  // namespace tolvane
