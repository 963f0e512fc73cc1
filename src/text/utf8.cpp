#include "text/utf8.h"

namespace tolvane {
namespace {

// The code point that starts at `at`, which moves past it (or past the
// malformed bytes that stand for one U+FFFD). `at` must be inside the text.
char32_t NextCodePoint(std::string_view text, size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  // The range of the second byte keeps out overlong forms, surrogates and
  // values past U+10FFFF; later continuation bytes are 80 to BF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return kReplacementCharacter;
  }
  char32_t code_point = lead & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    if (at >= text.size()) return kReplacementCharacter;
    const auto next = static_cast<unsigned char>(text[at]);
    if (next < low || next > high) return kReplacementCharacter;
    code_point = (code_point << 6) | (next & 0x3F);
    ++at;
    low = 0x80;
    high = 0xBF;
  }
  return code_point;
}

void AppendUtf8(std::string& out, char32_t code_point) {
  if ((code_point >= 0xD800 && code_point <= 0xDFFF) || code_point > 0x10FFFF) {
    code_point = kReplacementCharacter;
  }
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

}  // namespace

size_t Utf8Length(std::string_view text) {
  size_t length = 0;
  for (size_t at = 0; at < text.size(); ++length) NextCodePoint(text, at);
  return length;
}

std::string_view Utf8Prefix(std::string_view text, size_t characters) {
  size_t at = 0;
  for (size_t count = 0; count < characters && at < text.size(); ++count) NextCodePoint(text, at);
  return text.substr(0, at);
}

std::string CharacterText(char32_t code_point) {
  std::string text;
  AppendUtf8(text, code_point);
  return text;
}

std::u32string DecodeUtf8(std::string_view text) {
  std::u32string code_points;
  code_points.reserve(text.size());
  for (size_t at = 0; at < text.size();) code_points += NextCodePoint(text, at);
  return code_points;
}

std::string EncodeUtf8(std::u32string_view code_points) {
  std::string out;
  out.reserve(code_points.size());
  for (char32_t code_point : code_points) AppendUtf8(out, code_point);
  return out;
}

std::string SanitiseUtf8(std::string_view text) { return EncodeUtf8(DecodeUtf8(text)); }

bool IsValidUtf8(std::string_view text) { return SanitiseUtf8(text) == text; }

}  // namespace tolvane
