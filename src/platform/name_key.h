#ifndef TOLVANE_PLATFORM_NAME_KEY_H_
#define TOLVANE_PLATFORM_NAME_KEY_H_

#include <string>
#include <string_view>

namespace tolvane {

// Names of people and groups are the same name when their keys are equal: the
// UTF-8 text in NFC with full Unicode case folding ("\xC5sa" and "\xE5SA" are
// one name, as are "\x9F" and "\xFF"). The sharp s stays itself, as the code
// page has no capital of it: "Strau\xDF" and "Strauss" are two names. The key
// is UTF-8 and is what the phone book's NamnKey columns hold.
std::string NameKeyOfUtf8(std::string_view utf8);
// The key of an 8-bit name.
std::string NameKey(std::string_view text);
// Whether two 8-bit names are the same name.
bool SameName(std::string_view a, std::string_view b);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_NAME_KEY_H_
