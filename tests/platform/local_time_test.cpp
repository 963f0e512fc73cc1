#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

namespace tolvane {
namespace {

TimePoint LocalTime(int year, int month, int day, int hour, int minute) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_isdst = -1;
  return Clock::from_time_t(std::mktime(&local));
}

TEST(LocalTimeTest, TwentyFourHourTimeAndTheLocalesShortDate) {
  EXPECT_EQ(HourMinuteText(LocalTime(2024, 3, 7, 9, 5)), "09:05");
  EXPECT_EQ(HourMinuteText(LocalTime(2024, 3, 7, 23, 59)), "23:59");
  EXPECT_EQ(TimeOfDayText(LocalTime(2024, 3, 7, 21, 0) + std::chrono::milliseconds(4999)),
            "21:00:04");

  // Tests run in the "C" locale, whose short date is mm/dd/yy.
  EXPECT_EQ(ShortDateText(LocalTime(2024, 3, 7, 0, 30)), "03/07/24");
}

}  // namespace
}  // namespace tolvane
