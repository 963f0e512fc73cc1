#include "platform/text_codec.h"

#include <array>
#include <cstdint>
#include <utility>

#include "text/utf8.h"

namespace tolvane {
namespace {

// Code points of 0x80 to 0x9F; 0 marks the five bytes the code page leaves
// undefined, which map to the C1 control of the same value.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t CodePointOf(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F && kHighTable[byte - 0x80] != 0) {
    return kHighTable[byte - 0x80];
  }
  return byte;
}

// The byte of a code point in the code page; nullopt when it has none.
std::optional<char> ByteOf(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i) {
    char32_t mapped = kHighTable[i] != 0 ? kHighTable[i] : static_cast<char32_t>(0x80 + i);
    if (mapped == cp) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

constexpr char32_t kAmpersand = U'&';
// More digits than any code point needs; a longer run is no reference.
constexpr size_t kMaxReferenceDigits = 7;

// The length of the "&#N;" at `at` (digits only, any count) and its value;
// {0, 0} when the text there is not of that form.
std::pair<size_t, char32_t> ReferenceAt(std::u32string_view text, size_t at) {
  if (at + 4 > text.size() || text[at] != kAmpersand || text[at + 1] != U'#') return {0, 0};
  size_t end = at + 2;
  char32_t value = 0;
  while (end < text.size() && text[end] >= U'0' && text[end] <= U'9') {
    if (end - at - 2 < kMaxReferenceDigits) value = value * 10 + (text[end] - U'0');
    ++end;
  }
  if (end == at + 2 || end >= text.size() || text[end] != U';') return {0, 0};
  if (end - at - 2 > kMaxReferenceDigits) value = 0x110000;  // names no character
  return {end + 1 - at, value};
}

bool IsCharacter(char32_t cp) { return cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF); }

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::u32string code_points;
  code_points.reserve(text.size());
  for (char c : text) code_points += CodePointOf(static_cast<unsigned char>(c));
  return EncodeUtf8(code_points);
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t cp : DecodeUtf8(text)) out += ByteOf(cp).value_or('?');
  return out;
}

std::string ForeignTextToUtf8(std::string_view bytes) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  std::string_view utf8 = bytes;
  if (utf8.starts_with(kByteOrderMark)) utf8.remove_prefix(kByteOrderMark.size());
  return IsValidUtf8(utf8) ? std::string(utf8) : Cp1252ToUtf8(bytes);
}

std::optional<char32_t> FirstOutsideCp1252(std::string_view text) {
  for (char32_t cp : DecodeUtf8(text)) {
    if (!ByteOf(cp)) return cp;
  }
  return std::nullopt;
}

std::string Utf8ToCp1252WithReferences(std::string_view text) {
  const std::u32string code_points = DecodeUtf8(text);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < code_points.size(); ++i) {
    const char32_t cp = code_points[i];
    const std::optional<char> byte = ByteOf(cp);
    if (byte && !(cp == kAmpersand && ReferenceAt(code_points, i).first > 0)) {
      out += *byte;
    } else {
      out += "&#" + std::to_string(static_cast<uint32_t>(cp)) + ";";
    }
  }
  return out;
}

std::string Cp1252WithReferencesToUtf8(std::string_view bytes) {
  std::u32string code_points;
  code_points.reserve(bytes.size());
  for (char c : bytes) code_points += CodePointOf(static_cast<unsigned char>(c));
  std::u32string out;
  out.reserve(code_points.size());
  for (size_t i = 0; i < code_points.size();) {
    const auto [length, value] = ReferenceAt(code_points, i);
    if (length > 0 && IsCharacter(value)) {
      out += value;
      i += length;
    } else {
      out += code_points[i++];
    }
  }
  return EncodeUtf8(out);
}

std::string Cp1252Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)) {
      c = static_cast<char>(byte - 0x20);
    } else if (byte == 0x9A || byte == 0x9C || byte == 0x9E) {  // š œ ž
      c = static_cast<char>(byte - 0x10);
    } else if (byte == 0xFF) {  // ÿ
      c = static_cast<char>(0x9F);
    }
  }
  return out;
}

std::string LineBreaksToCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string LineBreaksToLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace tolvane
