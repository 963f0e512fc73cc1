#ifndef TOLVANE_SMS_NUMBER_FORMS_H_
#define TOLVANE_SMS_NUMBER_FORMS_H_

#include <cstddef>
#include <string>
#include <vector>

namespace tolvane {

// A number kept in the national form ("070-123 45 67") is the same number as
// "+46701234567", as a phone matches them: the digits after its trunk zeros
// end the international one, after a country code of 1 to 3 digits.
inline constexpr size_t kLongestCountryCode = 3;

// Those digits of a national number as NormalisedNumber gives it; empty for
// an international number, a name, or one too short to stand for one phone.
std::string NationalDigits(const std::string& number);

// Whether two numbers, each as NormalisedNumber gives it, reach the same
// phone by the rule above.
bool SameNumber(const std::string& a, const std::string& b);

// The national forms (one trunk zero) that SameNumber matches to an
// international number, one for each length of country code; none for
// another number.
std::vector<std::string> NationalForms(const std::string& international);

}  // namespace tolvane

#endif  // TOLVANE_SMS_NUMBER_FORMS_H_
