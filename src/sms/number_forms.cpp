#include "sms/number_forms.h"

namespace tolvane {

namespace {

// Shorter numbers (service numbers) must match whole.
constexpr size_t kLeastNationalDigits = 6;

bool NationalMatches(const std::string& national, const std::string& international) {
  const std::string digits = NationalDigits(national);
  if (digits.empty() || !international.starts_with('+') ||
      international.size() < digits.size() + 2) {
    return false;
  }
  const size_t country = international.size() - 1 - digits.size();
  return country <= kLongestCountryCode && international.ends_with(digits);
}

}  // namespace

std::string NationalDigits(const std::string& number) {
  if (!number.starts_with('0')) return {};
  const size_t start = number.find_first_not_of('0');
  if (start == std::string::npos || number.size() - start < kLeastNationalDigits) return {};
  return number.substr(start);
}

bool SameNumber(const std::string& a, const std::string& b) {
  return !a.empty() && (a == b || NationalMatches(a, b) || NationalMatches(b, a));
}

std::vector<std::string> NationalForms(const std::string& international) {
  std::vector<std::string> forms;
  if (!international.starts_with('+')) return forms;
  for (size_t country = 1; country <= kLongestCountryCode; ++country) {
    if (international.size() < 1 + country + kLeastNationalDigits) break;
    // A digit 0 after the code would belong to the trunk prefix instead.
    if (international[1 + country] != '0') forms.push_back("0" + international.substr(1 + country));
  }
  return forms;
}

}  // namespace tolvane
