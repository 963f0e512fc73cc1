#ifndef TOLVANE_CORE_TEXT_HELPERS_H_
#define TOLVANE_CORE_TEXT_HELPERS_H_

#include <string>

namespace tolvane {

// The text without its leading and trailing blanks, as typed numbers and
// names are taken.
std::string TrimBlanks(const std::string& text);

// The digits "0" to "9" of the text, in their order.
std::string DigitsOf(const std::string& text);

}  // namespace tolvane

#endif  // TOLVANE_CORE_TEXT_HELPERS_H_
