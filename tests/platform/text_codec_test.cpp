#include "platform/text_codec.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(FirstOutsideCp1252("Gr\u00FC\u00DFe \u20AC"), std::nullopt);
  EXPECT_EQ(FirstOutsideCp1252("\u0141ukasz \U0001F600"), U'\u0141');

  // An emoji, a Polish letter; an "&" that would read as a reference, and
  // ones that would not.
  const std::string text = "Hej \U0001F600 \u0141 &#65; & &# &#x41; \u00E5";
  const std::string bytes = Utf8ToCp1252WithReferences(text);
  EXPECT_EQ(bytes, "Hej &#128512; &#321; &#38;#65; & &# &#x41; \xE5");
  EXPECT_EQ(Cp1252WithReferencesToUtf8(bytes), text);

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

}  // namespace
}  // namespace tolvane
