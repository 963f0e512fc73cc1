#ifndef TOLVANE_TEXT_UTF8_H_
#define TOLVANE_TEXT_UTF8_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tolvane {

// Text that comes in as UTF-8 may be malformed (a file in another code page,
// a cut-off read). It is read the way Unicode recommends: each longest start
// of a sequence that cannot be completed counts as one U+FFFD, and so do an
// overlong form, an encoded surrogate and anything above U+10FFFF. Every
// function here reads the same way, so a length agrees with the decoded text.

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// The characters of the text as the user sees them counted: code points.
size_t Utf8Length(std::string_view text);

// The first `characters` characters of the text (all of it when shorter).
std::string_view Utf8Prefix(std::string_view text, size_t characters);

// One character as UTF-8, for texts that name it.
std::string CharacterText(char32_t code_point);

// The code points of the text, malformed parts as U+FFFD.
std::u32string DecodeUtf8(std::string_view text);

// UTF-8 of the code points; a surrogate or a value above U+10FFFF is written
// as U+FFFD.
std::string EncodeUtf8(std::u32string_view code_points);

// Whether the text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// The text with its malformed parts replaced by U+FFFD.
std::string SanitiseUtf8(std::string_view text);

}  // namespace tolvane

#endif  // TOLVANE_TEXT_UTF8_H_
