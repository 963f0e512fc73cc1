#ifndef TOLVANE_SMS_SMS_ADDRESS_H_
#define TOLVANE_SMS_SMS_ADDRESS_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// Address fields of a TPDU: the count of semi-octets the value fills, the
// type of address, then the value (digits as semi-octets, the low one first,
// an odd count filled with F).

inline constexpr unsigned char kInternationalNumber = 0x91;
inline constexpr unsigned char kUnknownNumber = 0x81;
inline constexpr unsigned char kAlphanumericName = 0xD0;

// The address field of a number. It is international when the number starts
// with "+" or with `international_prefix` (such as "00"; either is left out
// of the digits), otherwise of unknown type. Blanks are ignored. Nothing when
// anything but digits is left, or no digits, or more than 20.
std::optional<std::string> EncodeNumberAddress(std::string_view number,
                                               std::string_view international_prefix);

// An alphanumeric name packed as GSM septets behind the count of semi-octets
// they fill: the value of a D0 address, and the alphanumeric OAdC of UCP
// (which writes it in hexadecimal). Nothing when the name is empty, longer
// than 11 septets or has a character outside the GSM alphabet.
std::optional<std::string> EncodeAlphanumericAddress(std::string_view utf8_name);

// The address field at `at`, which moves past it: the digits ("+" before an
// international number; * # a b c for the other semi-octet values) or the
// decoded name as UTF-8. Nothing when the field is longer than 20 semi-octets
// or runs past the end.
std::optional<std::string> ReadAddress(std::string_view octets, size_t& at);

}  // namespace tolvane

#endif  // TOLVANE_SMS_SMS_ADDRESS_H_
