#ifndef TOLVANE_PLATFORM_NAME_KEY_H_
#define TOLVANE_PLATFORM_NAME_KEY_H_

#include <string>
#include <string_view>

namespace tolvane {

// Names of people and groups are the same name when their keys are equal: the
// text in NFC with full Unicode case folding ("Åsa" and "åSA" are one name, as
// are "Łukasz" and "ŁUKASZ"). The sharp s stays itself, as names always
// compared: "Strauß" and "Strauss" are two names. The key is UTF-8 and is what
// the phone book's NamnKey columns hold.
std::string NameKey(std::string_view text);
bool SameName(std::string_view a, std::string_view b);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_NAME_KEY_H_
