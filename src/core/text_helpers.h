#ifndef TOLVANE_CORE_TEXT_HELPERS_H_
#define TOLVANE_CORE_TEXT_HELPERS_H_

#include <string>

namespace tolvane {

// The text without its leading and trailing blanks, as typed numbers and
// names are taken.
std::string TrimBlanks(const std::string& text);
// The text without its trailing blanks, as padded records are read back.
std::string TrimTrailingBlanks(const std::string& text);

}  // namespace tolvane

#endif  // TOLVANE_CORE_TEXT_HELPERS_H_
