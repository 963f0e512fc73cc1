#include "inbox/phone_book_names.h"

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

}  // namespace tolvane
