#include "text/text_helpers.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "text/utf8.h"

namespace tolvane {

std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string TrimTrailingBlanks(const std::string& text) {
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

long LeadingWholeNumber(const std::string& text) {
  constexpr long kLimit = 1000000;
  size_t pos = text.find_first_not_of(' ');
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
  long number = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    number = std::min(number * 10 + (text[pos] - '0'), kLimit);
  }
  return negative ? -number : number;
}

std::optional<double> NumericValue(const std::string& text) {
  constexpr const char* kWhiteSpace = " \t\r\n";
  const size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string::npos) return std::nullopt;
  const char* begin = text.data() + first;
  const char* end = text.data() + text.find_last_not_of(kWhiteSpace) + 1;
  const bool negative = *begin == '-';
  if (*begin == '+' || *begin == '-') ++begin;
  // Fixed notation only: no exponent, no "inf" or "nan", whatever the locale.
  double value = 0;
  const auto [parsed_end, error] = std::from_chars(begin, end, value, std::chars_format::fixed);
  if (begin == end || *begin == '+' || *begin == '-' || error != std::errc() || parsed_end != end) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

std::string TypedText(const std::string& text, size_t limit) {
  std::string taken(Utf8Prefix(text, limit));
  if (taken.size() < text.size() && taken.ends_with('\r') && text[taken.size()] == '\n') {
    taken.pop_back();
  }
  std::replace(taken.begin(), taken.end(), '\t', ' ');
  return taken;
}

std::string DigitsOf(const std::string& text) {
  std::string digits;
  std::copy_if(text.begin(), text.end(), std::back_inserter(digits),
               [](char c) { return c >= '0' && c <= '9'; });
  return digits;
}

}  // namespace tolvane
