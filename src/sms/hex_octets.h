#ifndef TOLVANE_SMS_HEX_OCTETS_H_
#define TOLVANE_SMS_HEX_OCTETS_H_

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The value of one hexadecimal digit (either letter case); -1 for any other
// character.
int HexDigitValue(char digit);

// Octets written as uppercase hexadecimal pairs, as a PDU goes over the
// modem line.
std::string ToHex(std::string_view octets);

// The octets of hexadecimal pairs (either letter case); nothing for an odd
// count of digits or any other character.
std::optional<std::string> FromHex(std::string_view hex);

}  // namespace tolvane

#endif  // TOLVANE_SMS_HEX_OCTETS_H_
