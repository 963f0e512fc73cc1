#include "sms/number_forms.h"

#include <gtest/gtest.h>

#include <tuple>

#include "sms/sms_address.h"

namespace tolvane::testing {
namespace {

TEST(SameNumberTest, NationalAndInternationalFormsOfOneNumber) {
  const std::tuple<const char*, const char*, bool> kCases[] = {
      {"0701234567", "+46701234567", true},
      {"0701234568", "+46701234567", false},
      {"0034567", "+46701234567", false},  // an international prefix is no trunk zero
      {"034567", "+4634567", false},       // too short to match on its end
      {"0345678", "+46345678", true},      // the shortest that does
      {"Telia", "Telia", true},
      {"", "", false},
  };
  for (const auto& [a, b, same] : kCases) {
    EXPECT_EQ(SameNumber(NormalisedNumber(a), NormalisedNumber(b)), same) << a << " " << b;
  }
  EXPECT_EQ(NormalisedNumber("0046 70-123 45 67"), "+46701234567");
  EXPECT_EQ(NormalisedNumber(" Telia "), "Telia");
  EXPECT_EQ(NationalForms("+46701234567"), (std::vector<std::string>{"06701234567", "0701234567"}));
  EXPECT_TRUE(NationalForms("0701234567").empty());
}

}  // namespace
}  // namespace tolvane::testing
