#include "core/settings_values.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "core/time_of_day.h"

namespace tolvane {
namespace {

TEST(ParseLeadingNumberTest, TakesTheLeadingNumberRoundedHalfToEvenWithin16Bits) {
  for (auto [text, number] : std::vector<std::pair<std::string, std::optional<int>>>{
           {" 10", 10},
           {"  +7 apples", 7},
           {"", 0},
           {"abc", 0},
           {"-", 0},
           {"1e3", 1},
           {"2.5", 2},
           {"3.5", 4},
           {"-1.6", -2},
           {"1.2.3", 1},
           {"32767", 32767},
           {"-32768", -32768},
           {"32768", std::nullopt},
           {std::string(400, '9'), std::nullopt}}) {
    EXPECT_EQ(ParseLeadingNumber(text), number) << text;
  }
}

// A text that is no time stays as it is. (The windows show "7:05" as "07:05".)
TEST(TimeOfDayTest, OneOrTwoHourDigitsAndTwoMinuteDigitsAreATime) {
  for (auto [text, normalized] :
       std::vector<std::pair<std::string, std::string>>{{" 07:05 ", "07:05"},
                                                        {"0:00", "00:00"},
                                                        {"7:60", "7:60"},
                                                        {"7:5", "7:5"},
                                                        {"007:05", "007:05"},
                                                        {"+7:05", "+7:05"},
                                                        {"7.05", "7.05"},
                                                        {"", ""}}) {
    EXPECT_EQ(NormalizedTimeOfDay(text), normalized) << text;
  }
}

}  // namespace
}  // namespace tolvane
