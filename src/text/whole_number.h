#ifndef TOLVANE_TEXT_WHOLE_NUMBER_H_
#define TOLVANE_TEXT_WHOLE_NUMBER_H_

#include <optional>
#include <string>

namespace tolvane {

// A text that must be a whole number and nothing else (blanks around it
// allowed), as TCPProxy and TCPProxyPort are; nullopt otherwise.
std::optional<long> ParseWholeNumber(const std::string& text);

// A whole number from `low` to `high` (blanks around it allowed); nullopt
// otherwise.
std::optional<int> ParseNumberIn(const std::string& text, int low, int high);

}  // namespace tolvane

#endif  // TOLVANE_TEXT_WHOLE_NUMBER_H_
