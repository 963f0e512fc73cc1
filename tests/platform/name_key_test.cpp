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
      EXPECT_EQ(SameName(Cp1252ToUtf8(x), Cp1252ToUtf8(y)), Cp1252Upper(x) == Cp1252Upper(y))
          << a << " " << b;
    }
  }
  EXPECT_TRUE(SameName("åsa Berg", "ÅSA BERG"));
  EXPECT_TRUE(SameName("ÿ", "Ÿ"));
  // Beyond the code page, as full case folding has it.
  EXPECT_TRUE(SameName("Łukasz", "ŁUKASZ"));
  EXPECT_FALSE(SameName("Łukasz", "Lukasz"));
  EXPECT_EQ(NameKey("Åsa"), "\xC3\xA5sa");
}

TEST(NameKeyTest, SharpSStaysItselfAndOtherToolsTextIsNormalised) {
  EXPECT_FALSE(SameName("Strauß", "Strauss"));
  EXPECT_FALSE(SameName("Strauß", "STRAUSS"));
  EXPECT_TRUE(SameName("Strauß", "STRAUß"));
  // The capital sharp s, which only another tool can write.
  EXPECT_EQ(NameKey("STRAU\xE1\xBA\x9E"), NameKey("strauß"));
  // A decomposed ring (A and U+030A), or a Greek capital, in any case.
  EXPECT_EQ(NameKey("A\xCC\x8Asa"), NameKey("åSA"));
  EXPECT_EQ(NameKey("\xCE\xA9mega"), NameKey("\xCF\x89MEGA"));
  // Malformed UTF-8 folds as the program reads it.
  EXPECT_EQ(NameKey("B\xC3"), "b\uFFFD");
}

}  // namespace
}  // namespace tolvane
