#include "platform/local_time.h"

#include <langinfo.h>

#include <cstring>
#include <ctime>

#include "platform/text_codec.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

std::string FormatLocal(TimePoint time, const char* format) {
  std::time_t seconds = Clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[128];
  std::size_t length = std::strftime(text, sizeof text, format, &local);
  return std::string(text, length);
}

}  // namespace

std::string ShortDateText(TimePoint time) {
  std::string date = FormatLocal(time, "%x");
  // Some locales write their date with non-ASCII characters, in their own
  // code page.
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0) return SanitiseUtf8(date);
  return Cp1252ToUtf8(date);
}

std::string HourMinuteText(TimePoint time) { return FormatLocal(time, "%H:%M"); }

std::string LocalTimeText(TimePoint time, const char* format) { return FormatLocal(time, format); }

std::string TimeOfDayText(TimePoint time) { return FormatLocal(time, "%H:%M:%S"); }

}  // namespace tolvane
