#ifndef TOLVANE_SMS_SMS_ADDRESS_H_
#define TOLVANE_SMS_SMS_ADDRESS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// An address as SMPP and UCP/EMI carry it: type of number, numbering plan
// and the value as text.
// A number that starts with it is international: TON 1 without it.
inline constexpr char kInternationalPrefix[] = "00";

struct SmsAddress {
  uint8_t ton = 0;  // 0 unknown, 1 international, 5 alphanumeric
  uint8_t npi = 0;  // 0 unknown, 1 ISDN (E.164)
  std::string value;

  bool operator==(const SmsAddress&) const = default;
};

// A recipient: international (TON 1, NPI 1, digits without "+" or prefix)
// when it starts with "+" or `international_prefix`, otherwise unknown
// (TON 0, NPI 1). Blanks and dashes are dropped; nothing when no digits are
// left or anything else is.
std::optional<SmsAddress> RecipientAddress(std::string_view number,
                                           std::string_view international_prefix);
// The sender (`Avs`): digits, or "+" and digits, as a number; text with a
// letter as an alphanumeric sender (TON 5, NPI 0) of at most 11 characters.
// Nothing when it is neither; `refusal` then says why.
std::optional<SmsAddress> SenderAddress(std::string_view avs, std::string_view international_prefix,
                                        std::string& refusal);

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

// The number in international form when it says its country ("+46..." or
// "0046..."), otherwise its digits; a sender's name ("Telia") as it is.
std::string NormalisedNumber(const std::string& typed);

}  // namespace tolvane

#endif  // TOLVANE_SMS_SMS_ADDRESS_H_
