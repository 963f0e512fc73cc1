#include "sms/ucs2.h"

#include "text/utf8.h"

namespace tolvane {
namespace {

bool IsSurrogate(char32_t value) { return value >= 0xD800 && value <= 0xDFFF; }

void AppendUnit(std::string& octets, char32_t unit) {
  octets += static_cast<char>(unit >> 8);
  octets += static_cast<char>(unit & 0xFF);
}

char32_t UnitAt(std::string_view octets, size_t at) {
  return (static_cast<char32_t>(static_cast<unsigned char>(octets[at])) << 8) |
         static_cast<unsigned char>(octets[at + 1]);
}

}  // namespace

int Ucs2UnitCount(char32_t code_point) { return code_point > 0xFFFF ? 2 : 1; }

std::string EncodeUcs2(std::u32string_view text) {
  std::string octets;
  octets.reserve(text.size() * 2);
  for (char32_t code_point : text) {
    if (IsSurrogate(code_point) || code_point > 0x10FFFF) code_point = kReplacementCharacter;
    if (code_point > 0xFFFF) {
      const char32_t offset = code_point - 0x10000;
      AppendUnit(octets, 0xD800 | (offset >> 10));
      AppendUnit(octets, 0xDC00 | (offset & 0x3FF));
    } else {
      AppendUnit(octets, code_point);
    }
  }
  return octets;
}

std::u32string DecodeUcs2(std::string_view octets) {
  std::u32string text;
  text.reserve(octets.size() / 2);
  size_t at = 0;
  for (; at + 1 < octets.size(); at += 2) {
    const char32_t unit = UnitAt(octets, at);
    if (!IsSurrogate(unit)) {
      text += unit;
    } else if (unit < 0xDC00 && at + 3 < octets.size() && UnitAt(octets, at + 2) >= 0xDC00 &&
               UnitAt(octets, at + 2) <= 0xDFFF) {
      text += 0x10000 + ((unit - 0xD800) << 10) + (UnitAt(octets, at + 2) - 0xDC00);
      at += 2;
    } else {
      text += kReplacementCharacter;
    }
  }
  if (at < octets.size()) text += kReplacementCharacter;
  return text;
}

}  // namespace tolvane
