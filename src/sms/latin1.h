#ifndef TOLVANE_SMS_LATIN1_H_
#define TOLVANE_SMS_LATIN1_H_

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// ISO 8859-1 (the SMPP data coding 3): one octet a character, the octet being
// the code point. Nothing when a character lies above U+00FF.
std::optional<std::string> EncodeLatin1(std::u32string_view text);

// The characters of ISO 8859-1 octets.
std::u32string DecodeLatin1(std::string_view octets);

}  // namespace tolvane

#endif  // TOLVANE_SMS_LATIN1_H_
