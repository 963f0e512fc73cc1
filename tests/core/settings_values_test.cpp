#include "core/settings_values.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

namespace tolvane {
namespace {

TEST(ParseLeadingNumberTest, TakesTheLeadingNumberRoundedHalfToEvenWithin16Bits) {
  for (auto [text, number] : std::vector<std::pair<std::string, std::optional<int>>>{
           {" 10", 10},
           {"-120", -120},
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

}  // namespace
}  // namespace tolvane
