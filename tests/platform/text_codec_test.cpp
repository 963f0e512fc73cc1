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

TEST(TextCodecTest, ReferencesKeepWhatTheCodePageLacks) {
  // An "&" that would not read as a reference stays as it is.
  EXPECT_EQ(Utf8ToCp1252WithReferences("& &# &#x41;"), "& &# &#x41;");
  // References written by hand naming no character, or a surrogate, stay.
  EXPECT_EQ(Cp1252WithReferencesToUtf8("&#12345678; &#55357; &#8364;"),
            "&#12345678; &#55357; \u20AC");
}

TEST(TextCodecTest, UpperCaseAndLineBreaks) {
  EXPECT_EQ(Cp1252Upper("v\xC4nner \xE5sa \x9A\x9C\x9E\xFF"), "V\xC4NNER \xC5SA \x8A\x8C\x8E\x9F");

  EXPECT_EQ(LineBreaksToCrLf("a\nb\r\nc\rd\n\n"), "a\r\nb\r\nc\r\nd\r\n\r\n");
  EXPECT_EQ(LineBreaksToLf("a\r\nb\nc\rd\r\r\n"), "a\nb\nc\nd\n\n");
}

// Every pair of code page characters is the same name exactly when upper case says so.
TEST(NameKeyTest, EveryPairOfCodePageCharactersComparesAsInUpperCase) {
  for (int a = 1; a < 256; ++a) {
    for (int b = a; b < 256; ++b) {
      const std::string x(1, static_cast<char>(a));
      const std::string y(1, static_cast<char>(b));
      EXPECT_EQ(SameName(Cp1252ToUtf8(x), Cp1252ToUtf8(y)), Cp1252Upper(x) == Cp1252Upper(y))
          << a << " " << b;
    }
  }
  // Beyond the code page, as full case folding has it.
  EXPECT_FALSE(SameName("Łukasz", "Lukasz"));
  EXPECT_EQ(NameKey("Åsa"), "\xC3\xA5sa");
}

TEST(NameKeyTest, SharpSStaysItselfAndOtherToolsTextIsNormalised) {
  EXPECT_FALSE(SameName("Strauß", "Strauss"));
  EXPECT_TRUE(SameName("Strauß", "STRAUß"));
  // A decomposed ring (A and U+030A) in any case.
  EXPECT_EQ(NameKey("A\xCC\x8Asa"), NameKey("åSA"));
  // Malformed UTF-8 folds as the program reads it.
  EXPECT_EQ(NameKey("B\xC3"), "b\uFFFD");
}

}  // namespace
}  // namespace tolvane
