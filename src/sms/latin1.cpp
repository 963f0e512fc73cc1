#include "sms/latin1.h"

namespace tolvane {

std::optional<std::string> EncodeLatin1(std::u32string_view text) {
  std::string octets;
  octets.reserve(text.size());
  for (char32_t code_point : text) {
    if (code_point > 0xFF) return std::nullopt;
    octets += static_cast<char>(code_point);
  }
  return octets;
}

std::u32string DecodeLatin1(std::string_view octets) {
  std::u32string text;
  text.reserve(octets.size());
  for (unsigned char octet : octets) text += static_cast<char32_t>(octet);
  return text;
}

}  // namespace tolvane
