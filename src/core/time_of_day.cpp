#include "core/time_of_day.h"

#include "text/text_helpers.h"

namespace tolvane {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int DigitValue(char c) { return c - '0'; }

}  // namespace

std::optional<TimeOfDay> TimeOfDay::Parse(const std::string& text) {
  const std::string time = TrimBlanks(text);
  const size_t colon = time.find(':');
  // One or two hour digits, then exactly two minute digits.
  if (colon != 1 && colon != 2) return std::nullopt;
  if (time.size() != colon + 3) return std::nullopt;
  for (size_t i = 0; i < time.size(); ++i) {
    if (i != colon && !IsDigit(time[i])) return std::nullopt;
  }
  TimeOfDay parsed;
  for (size_t i = 0; i < colon; ++i) parsed.hour = parsed.hour * 10 + DigitValue(time[i]);
  parsed.minute = DigitValue(time[colon + 1]) * 10 + DigitValue(time[colon + 2]);
  if (parsed.hour > 23 || parsed.minute > 59) return std::nullopt;
  return parsed;
}

std::string TimeOfDay::Text() const { return TwoDigits(hour) + ":" + TwoDigits(minute); }

std::string TwoDigits(int number) { return (number < 10 ? "0" : "") + std::to_string(number); }

std::string NormalizedTimeOfDay(const std::string& text) {
  const std::optional<TimeOfDay> time = TimeOfDay::Parse(text);
  return time ? time->Text() : text;
}

}  // namespace tolvane
