#ifndef TOLVANE_INBOX_PHONE_BOOK_NAMES_H_
#define TOLVANE_INBOX_PHONE_BOOK_NAMES_H_

#include <string>

namespace tolvane {

// Whether two numbers, each as NormalisedNumber gives it, reach the same
// phone: a number kept in the national form ("070-123 45 67") is the same
// number as "+46701234567", as a phone matches them, when the digits after
// its leading zero end the other.
bool SameNumber(const std::string& a, const std::string& b);

}  // namespace tolvane

#endif  // TOLVANE_INBOX_PHONE_BOOK_NAMES_H_
