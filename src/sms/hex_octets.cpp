#include "sms/hex_octets.h"

namespace tolvane {

int HexDigitValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return -1;
}

std::string ToHex(std::string_view octets) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(octets.size() * 2);
  for (char octet : octets) {
    const auto value = static_cast<unsigned char>(octet);
    hex += kDigits[value >> 4];
    hex += kDigits[value & 0x0F];
  }
  return hex;
}

std::optional<std::string> FromHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string octets;
  octets.reserve(hex.size() / 2);
  for (size_t at = 0; at < hex.size(); at += 2) {
    const int high = HexDigitValue(hex[at]);
    const int low = HexDigitValue(hex[at + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    octets += static_cast<char>(high * 16 + low);
  }
  return octets;
}

}  // namespace tolvane
