// The code page, its upper case and the name keys built on it.
#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include "platform/name_key.h"

namespace tolvane {
namespace {

TEST(TextCodecTest, CodePageAndUtf8ConvertBothWays) {
  std::string all;
  for (int code = 1; code < 256; ++code) all += static_cast<char>(code);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);

  // The national characters and the acute accent.
  EXPECT_EQ(Cp1252ToUtf8("\xC5\xC4\xD6\xB4\x80"), "\xC3\x85\xC3\x84\xC3\x96\xC2\xB4\xE2\x82\xAC");
  EXPECT_EQ(Utf8ToCp1252("Can\xC2\xB4t \xE2\x80\x9Cquoted\xE2\x80\x9D"), "Can\xB4t \x93quoted\x94");

  // Characters the code page lacks become question marks.
  EXPECT_EQ(Utf8ToCp1252("\xD0\x96\xE4\xB8\xAD\xF0\x9F\x98\x80!"), std::string(3, '?') + "!");
  // Malformed input: a lone continuation byte, a truncated sequence.
  EXPECT_EQ(Utf8ToCp1252("a\x80"
                         "b\xC3"),
            "a?b?");
}

// (The log viewer's tests show an emoji, a Polish letter and an "&" that
// would read as a reference go both ways.)
TEST(TextCodecTest, ReferencesKeepWhatTheCodePageLacks) {
  EXPECT_EQ(FirstOutsideCp1252("\u0141ukasz \U0001F600"), U'\u0141');
  // An "&" that would not read as a reference stays as it is.
  EXPECT_EQ(Utf8ToCp1252WithReferences("& &# &#x41;"), "& &# &#x41;");

  // References of files written by hand: one naming no character, or a
  // surrogate, stays as written.
  EXPECT_EQ(Cp1252WithReferencesToUtf8("&#12345678; &#55357; &#8364;"),
            "&#12345678; &#55357; \u20AC");
}

TEST(TextCodecTest, UpperCaseAndLineBreaks) {
  EXPECT_EQ(Cp1252Upper("v\xC4nner \xE5sa \x9A\x9C\x9E\xFF"), "V\xC4NNER \xC5SA \x8A\x8C\x8E\x9F");
  // Division sign, micro sign, sharp s and digits have no upper case of their own.
  EXPECT_EQ(Cp1252Upper("\xF7\xB5\xDF 0-9"), "\xF7\xB5\xDF 0-9");

  // Line breaks.
  EXPECT_EQ(LineBreaksToCrLf("a\nb\r\nc\rd\n\n"), "a\r\nb\r\nc\r\nd\r\n\r\n");
  EXPECT_EQ(LineBreaksToLf("a\r\nb\nc\rd\r\r\n"), "a\nb\nc\nd\n\n");
  EXPECT_EQ(LineBreaksToCrLf(LineBreaksToLf("x\r\ny")), "x\r\ny");
}

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
  // Beyond the code page, as full case folding has it (the phone book window
  // refuses "ŁUKASZ" beside "Łukasz").
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
