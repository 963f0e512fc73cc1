#include "core/settings_values.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(ParseLeadingNumberTest, TakesLeadingNumberAfterBlanks) {
  EXPECT_EQ(ParseLeadingNumber(" 10"), 10);
  EXPECT_EQ(ParseLeadingNumber("-120"), -120);
  EXPECT_EQ(ParseLeadingNumber("  +7 apples"), 7);
  EXPECT_EQ(ParseLeadingNumber("12abc"), 12);
  EXPECT_EQ(ParseLeadingNumber(""), 0);
  EXPECT_EQ(ParseLeadingNumber("abc"), 0);
  EXPECT_EQ(ParseLeadingNumber("-"), 0);
  EXPECT_EQ(ParseLeadingNumber("1e3"), 1);
}

TEST(ParseLeadingNumberTest, RoundsFractionsHalfToEven) {
  EXPECT_EQ(ParseLeadingNumber("2.5"), 2);
  EXPECT_EQ(ParseLeadingNumber("3.5"), 4);
  EXPECT_EQ(ParseLeadingNumber("-1.6"), -2);
  EXPECT_EQ(ParseLeadingNumber("1.2.3"), 1);
}

TEST(ParseLeadingNumberTest, RefusesNumbersBeyond16Bits) {
  EXPECT_EQ(ParseLeadingNumber("32767"), 32767);
  EXPECT_EQ(ParseLeadingNumber("-32768"), -32768);
  EXPECT_EQ(ParseLeadingNumber("32768"), std::nullopt);
  EXPECT_EQ(ParseLeadingNumber(std::string(400, '9')), std::nullopt);
}

TEST(ParseWholeNumberTest, AcceptsOnlyWholeNumbers) {
  EXPECT_EQ(ParseWholeNumber("0"), 0);
  EXPECT_EQ(ParseWholeNumber(" 8080 "), 8080);
  EXPECT_EQ(ParseWholeNumber("+1"), 1);
  EXPECT_EQ(ParseWholeNumber("-1"), -1);
  for (const char* bad : {"", " ", "abc", "1.5", "80x", "+-1", "+"}) {
    EXPECT_EQ(ParseWholeNumber(bad), std::nullopt) << bad;
  }
}

TEST(FormatNumberTest, BlankBeforeNonNegative) {
  EXPECT_EQ(FormatNumber(10), " 10");
  EXPECT_EQ(FormatNumber(0), " 0");
  EXPECT_EQ(FormatNumber(-120), "-120");
}

TEST(PasswordShiftTest, RoundTripsAndRefusesOutOfRangeCodes) {
  EXPECT_EQ(ShiftPassword(""), "");
  EXPECT_EQ(ShiftPassword("abc"), "def");
  EXPECT_EQ(UnshiftPassword("def"), "abc");
  EXPECT_EQ(ShiftPassword("\xFC"), "\xFF");
  EXPECT_EQ(ShiftPassword("ok\xFD"), std::nullopt);
  EXPECT_EQ(UnshiftPassword("\x03"), std::string("\x00", 1));
  EXPECT_EQ(UnshiftPassword("ok\x02"), std::nullopt);
}

}  // namespace
}  // namespace tolvane
