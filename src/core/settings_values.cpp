#include "core/settings_values.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/text_codec.h"
#include "text/whole_number.h"

namespace tolvane {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<std::string> ShiftEach(const std::string& text, int offset) {
  std::string shifted = text;
  for (char& c : shifted) {
    const int code = static_cast<unsigned char>(c) + offset;
    if (code < 0 || code > 255) return std::nullopt;
    c = static_cast<char>(code);
  }
  return shifted;
}

}  // namespace

std::optional<int16_t> ParseLeadingNumber(const std::string& text) {
  size_t pos = text.find_first_not_of(" \t");
  if (pos == std::string::npos) return 0;
  bool negative = false;
  if (text[pos] == '+' || text[pos] == '-') negative = text[pos++] == '-';

  // Only digits and one point: the number must not depend on the locale or
  // take an exponent.
  const size_t start = pos;
  bool seen_point = false;
  while (pos < text.size() && (IsDigit(text[pos]) || (text[pos] == '.' && !seen_point))) {
    seen_point = seen_point || text[pos] == '.';
    ++pos;
  }
  double value = 0;
  const auto [end, error] =
      std::from_chars(text.data() + start, text.data() + pos, value, std::chars_format::fixed);
  if (error == std::errc::result_out_of_range) return std::nullopt;
  if (error != std::errc() || end == text.data() + start) return 0;

  const double rounded = std::nearbyint(negative ? -value : value);
  if (rounded < std::numeric_limits<int16_t>::min() ||
      rounded > std::numeric_limits<int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int16_t>(rounded);
}

std::optional<int> ParseProxyPort(const std::string& text) { return ParseNumberIn(text, 1, 65535); }

std::string FormatNumber(int number) {
  return number >= 0 ? " " + std::to_string(number) : std::to_string(number);
}

std::optional<std::string> ShiftPassword(const std::string& text) {
  return ShiftEach(text, kPasswordShift);
}

std::string StoredPassword(const std::string& password) {
  std::string unshifted;
  for (char c : Utf8ToCp1252WithReferences(password)) {
    const int shifted = static_cast<unsigned char>(c) + kPasswordShift;
    if (shifted > 255 || shifted == '\r' || shifted == '\n') {
      unshifted += "&#" + std::to_string(static_cast<unsigned char>(c)) + ";";
    } else {
      unshifted += c;
    }
  }
  return *ShiftPassword(unshifted);
}

std::optional<std::string> UnshiftPassword(const std::string& text) {
  return ShiftEach(text, -kPasswordShift);
}

}  // namespace tolvane
