#ifndef TOLVANE_SMS_GSM_ALPHABET_H_
#define TOLVANE_SMS_GSM_ALPHABET_H_

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The GSM default alphabet and its extension table (reached through the
// escape septet 1B), one septet value a byte, unpacked.
//
// Lowercase ç has no place of its own: it is sent as 09, the place of Ç, so
// French text keeps 160 characters a message; the receiving phone shows the
// character of 09 (Ç on most phones). 09 always reads back as Ç.

inline constexpr char kGsmEscape = 0x1B;

// How many septets the character takes: 1 in the default table, 2 in the
// extension table (€ [ ] { } ~ \ ^ | and form feed), 0 when the alphabet does
// not have it.
int GsmSeptetCount(char32_t code_point);

// Adds the character's septets; false (and nothing added) when the alphabet
// does not have it.
bool AppendGsmSeptets(char32_t code_point, std::string& septets);

// The septets of the whole text; nothing when any character is missing from
// the alphabet.
std::optional<std::string> ToGsmSeptets(std::u32string_view text);

// The characters of unpacked septets (the high bit of each byte ignored). An
// escape before a value the extension table lacks gives that value's
// default character, and an escape at the end, or before another escape,
// gives a space, as a phone shows them.
std::u32string FromGsmSeptets(std::string_view septets);

}  // namespace tolvane

#endif  // TOLVANE_SMS_GSM_ALPHABET_H_
