#include "smpp/smpp_time.h"

#include <algorithm>
#include <cstdio>

namespace tolvane {

std::string SmppAbsoluteTime(std::time_t utc) {
  std::tm parts{};
  gmtime_r(&utc, &parts);
  char text[48];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d000+", parts.tm_year % 100,
                parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

std::string SmppRelativeTime(long minutes) {
  minutes = std::max(minutes, 1L);
  const long days_total = minutes / (24 * 60);
  const long months_total = days_total / 30;
  const long years = std::min(months_total / 12, 99L);
  char text[48];
  std::snprintf(text, sizeof text, "%02ld%02ld%02ld%02ld%02ld00000R", years, months_total % 12,
                days_total % 30, minutes / 60 % 24, minutes % 60);
  return text;
}

}  // namespace tolvane
