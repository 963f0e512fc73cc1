#ifndef TOLVANE_SMS_UCS2_H_
#define TOLVANE_SMS_UCS2_H_

#include <string>
#include <string_view>

namespace tolvane {

// The UCS-2 of SMS (data coding 08): big-endian 16-bit units. A character
// outside the Basic Multilingual Plane is written as a UTF-16 surrogate pair,
// which phones show as the one character.

// How many 16-bit units the character takes: 2 outside the Basic
// Multilingual Plane, otherwise 1.
int Ucs2UnitCount(char32_t code_point);

// Big-endian octets of the text; a lone surrogate or a value above U+10FFFF
// is written as U+FFFD.
std::string EncodeUcs2(std::u32string_view text);

// The characters of big-endian octets: surrogate pairs joined, a lone
// surrogate and an odd last octet read as U+FFFD.
std::u32string DecodeUcs2(std::string_view octets);

}  // namespace tolvane

#endif  // TOLVANE_SMS_UCS2_H_
