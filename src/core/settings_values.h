#ifndef TOLVANE_CORE_SETTINGS_VALUES_H_
#define TOLVANE_CORE_SETTINGS_VALUES_H_

#include <cstdint>
#include <optional>
#include <string>

namespace tolvane {

// How values are written in tolvmsg.ini.

// The number a reader takes from a stored text: leading blanks skipped, then
// the leading decimal number (sign and fraction allowed) rounded half to
// even; an empty or non-numeric text gives 0. nullopt when the number does
// not fit 16 bits.
std::optional<int16_t> ParseLeadingNumber(const std::string& text);

// A proxy port: a whole number from 1 to 65535 (blanks around it allowed).
std::optional<int> ParseProxyPort(const std::string& text);

// A number as the program writes it: one blank before a non-negative number
// (" 10"), none before a negative one ("-120").
std::string FormatNumber(int number);

// Stored passwords are shifted by this many character codes.
inline constexpr int kPasswordShift = 3;

// nullopt when a character's shifted code would pass 255.
std::optional<std::string> ShiftPassword(const std::string& text);
// A password as tolvmsg.ini keeps it: its text with references (as
// SettingsFile::StoredText), shifted. A character whose shifted code would
// pass 255 or be a line break is kept as its reference, so every password can
// be stored; reading unshifts, then resolves the references.
std::string StoredPassword(const std::string& password);
// nullopt when a character's code is below the shift.
std::optional<std::string> UnshiftPassword(const std::string& text);

}  // namespace tolvane

#endif  // TOLVANE_CORE_SETTINGS_VALUES_H_
