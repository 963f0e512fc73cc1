#include "platform/name_key.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"

namespace tolvane {
namespace {

// Names compared in upper case over the code page before they had keys; every
// pair of characters must still be the same name exactly when it was.
TEST(NameKeyTest, EveryPairOfCodePageCharactersComparesAsInUpperCase) {
  for (int a = 1; a < 256; ++a) {
    for (int b = a; b < 256; ++b) {
      const std::string x(1, static_cast<char>(a));
      const std::string y(1, static_cast<char>(b));
      EXPECT_EQ(SameName(x, y), Cp1252Upper(x) == Cp1252Upper(y)) << a << " " << b;
    }
  }
  EXPECT_TRUE(SameName("\xE5sa Berg", "\xC5SA BERG"));
  EXPECT_TRUE(SameName("\xFF", "\x9F"));  // ÿ Ÿ
  EXPECT_EQ(NameKey("\xC5sa"), "\xC3\xA5sa");
}

TEST(NameKeyTest, SharpSStaysItselfAndOtherToolsTextIsNormalised) {
  EXPECT_FALSE(SameName("Strau\xDF", "Strauss"));
  EXPECT_FALSE(SameName("Strau\xDF", "STRAUSS"));
  EXPECT_TRUE(SameName("Strau\xDF", "STRAU\xDF"));
  // The capital sharp s, which only another tool can write.
  EXPECT_EQ(NameKeyOfUtf8("STRAU\xE1\xBA\x9E"), NameKey("strau\xDF"));
  // A decomposed ring (A and U+030A), or a Greek capital, in any case.
  EXPECT_EQ(NameKeyOfUtf8("A\xCC\x8Asa"), NameKey("\xE5SA"));
  EXPECT_EQ(NameKeyOfUtf8("\xCE\xA9mega"), NameKeyOfUtf8("\xCF\x89MEGA"));
  // Malformed UTF-8 folds as the program reads it.
  EXPECT_EQ(NameKeyOfUtf8("B\xC3"), "b?");
}

}  // namespace
}  // namespace tolvane
