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

std::string EditedText(const std::string& before, const std::string& after, size_t limit) {
  std::string taken = after;
  std::replace(taken.begin(), taken.end(), '\t', ' ');
  if (limit == 0 || Utf8Length(taken) <= limit) return taken;
  const std::u32string old_text = DecodeUtf8(before);
  const std::u32string new_text = DecodeUtf8(taken);
  // The edit replaced the middle of the text: what both share at the start
  // and at the end stays, and a CR LF is not taken apart.
  const size_t shorter = std::min(old_text.size(), new_text.size());
  size_t start =
      std::mismatch(old_text.begin(), old_text.begin() + shorter, new_text.begin()).first -
      old_text.begin();
  if (start > 0 && new_text[start - 1] == U'\r' && start < new_text.size() &&
      new_text[start] == U'\n') {
    --start;
  }
  size_t end = 0;
  while (end < shorter - start &&
         old_text[old_text.size() - 1 - end] == new_text[new_text.size() - 1 - end]) {
    ++end;
  }
  const size_t inserted_end = new_text.size() - end;
  if (end > 0 && new_text[inserted_end] == U'\n' && inserted_end > start &&
      new_text[inserted_end - 1] == U'\r') {
    --end;
  }
  const std::u32string_view whole(new_text);
  const std::u32string_view head = whole.substr(0, start);
  const std::u32string_view tail = whole.substr(new_text.size() - end);
  std::u32string_view inserted = whole.substr(start, new_text.size() - end - start);
  const size_t kept = head.size() + tail.size();
  inserted = inserted.substr(0, kept < limit ? limit - kept : 0);
  if (inserted.ends_with(U'\r') && start + inserted.size() < whole.size() &&
      whole[start + inserted.size()] == U'\n') {
    inserted.remove_suffix(1);
  }
  return EncodeUtf8(std::u32string(head) + std::u32string(inserted) + std::u32string(tail));
}

std::string DigitsOf(const std::string& text) {
  std::string digits;
  std::copy_if(text.begin(), text.end(), std::back_inserter(digits),
               [](char c) { return c >= '0' && c <= '9'; });
  return digits;
}

}  // namespace tolvane
