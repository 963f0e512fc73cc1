#include "core/delivery_time.h"

#include <charconv>
#include <ctime>

namespace tolvane {

std::optional<TimePoint> DeliveryTimePoint(std::string_view ddmmyyhhmm) {
  if (ddmmyyhhmm.size() != 10) return std::nullopt;
  int fields[5] = {};
  for (int i = 0; i < 5; ++i) {
    const char* begin = ddmmyyhhmm.data() + 2 * i;
    auto [end, error] = std::from_chars(begin, begin + 2, fields[i]);
    if (error != std::errc() || end != begin + 2) return std::nullopt;
  }
  std::tm local{};
  local.tm_mday = fields[0];
  local.tm_mon = fields[1] - 1;
  local.tm_year = 100 + fields[2];
  local.tm_hour = fields[3];
  local.tm_min = fields[4];
  local.tm_isdst = -1;
  const std::time_t time = std::mktime(&local);
  if (time == -1) return std::nullopt;
  return Clock::from_time_t(time);
}

}  // namespace tolvane
