#include "inbox/phone_book_names.h"

#include <memory>

#include "platform/record_cursor.h"
#include "platform/store_error.h"
#include "sms/sms_address.h"

namespace tolvane {

namespace {

// Shorter numbers (service numbers) must match whole.
constexpr size_t kLeastNationalDigits = 6;

// "0701234567" and "+46701234567".
bool NationalMatches(const std::string& national, const std::string& international) {
  if (!international.starts_with('+') || !national.starts_with('0') || national.starts_with("00")) {
    return false;
  }
  const std::string significant = national.substr(1);
  return significant.size() >= kLeastNationalDigits &&
         international.size() > significant.size() + 1 && international.ends_with(significant);
}

}  // namespace

bool SameNumber(const std::string& a, const std::string& b) {
  return !a.empty() && (a == b || NationalMatches(a, b) || NationalMatches(b, a));
}

std::string PhoneBookNameOf(PhoneBookStore& store, const std::string& number) {
  try {
    const std::unique_ptr<RecordCursor> cursor = store.OpenCursor(kPhoneBookTable);
    for (; !cursor->Eof(); cursor->MoveNext()) {
      if (SameNumber(NormalisedNumber(cursor->Field(kFieldTelenummer)), number)) {
        return cursor->Field(kFieldNamn);
      }
    }
  } catch (const StoreError&) {
    // A phone book that cannot be read gives no name; the number stands.
  }
  return {};
}

}  // namespace tolvane
