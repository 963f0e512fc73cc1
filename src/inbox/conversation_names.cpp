#include "inbox/conversation_names.h"

#include "platform/store_error.h"
#include "sms/number_forms.h"
#include "sms/sms_address.h"

namespace tolvane {

const ConversationNames& ConversationNames::Update(PhoneBookStore* store) {
  std::optional<PhoneBookRevision> revision;
  try {
    if (store != nullptr) revision = store->Revision();
  } catch (const StoreError&) {
    // Without one the people are read each time.
  }
  if (store == source_ && revision && revision == revision_) return *this;
  by_number_.clear();
  by_national_.clear();
  source_ = store;
  revision_ = revision;
  if (store == nullptr) return *this;
  try {
    std::unique_ptr<RecordCursor> people = store->OpenCursor(kPhoneBookTable);
    for (people->MoveFirst(); !people->Eof(); people->MoveNext()) {
      const std::string number = NormalisedNumber(people->Field(kFieldTelenummer));
      const std::string name = people->Field(kFieldNamn);
      if (number.empty() || name.empty()) continue;
      by_number_.emplace(number, name);
      if (const std::string national = NationalDigits(number); !national.empty()) {
        by_national_.emplace(national, name);
      }
    }
  } catch (const StoreError&) {
    // Without the phone book the numbers stand for themselves.
  }
  return *this;
}

std::string ConversationNames::NameOf(const std::string& number) const {
  if (auto found = by_number_.find(number); found != by_number_.end()) return found->second;
  if (number.starts_with('+')) {
    for (size_t country = 1; country <= kLongestCountryCode && country + 1 < number.size();
         ++country) {
      if (auto found = by_national_.find(number.substr(1 + country)); found != by_national_.end()) {
        return found->second;
      }
    }
  }
  return {};
}

}  // namespace tolvane
