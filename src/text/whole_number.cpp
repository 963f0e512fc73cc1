#include "text/whole_number.h"

#include <charconv>

namespace tolvane {

std::optional<long> ParseWholeNumber(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  const size_t last = text.find_last_not_of(" \t");
  const char* begin = text.data() + first;
  const char* end = text.data() + last + 1;
  if (*begin == '+' && ++begin != end && *begin == '-') return std::nullopt;
  long number = 0;
  const auto [parsed_end, error] = std::from_chars(begin, end, number);
  if (error != std::errc() || parsed_end != end) return std::nullopt;
  return number;
}

std::optional<int> ParseNumberIn(const std::string& text, int low, int high) {
  const std::optional<long> number = ParseWholeNumber(text);
  if (!number || *number < low || *number > high) return std::nullopt;
  return static_cast<int>(*number);
}

}  // namespace tolvane
