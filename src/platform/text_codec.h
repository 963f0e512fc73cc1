#ifndef TOLVANE_PLATFORM_TEXT_CODEC_H_
#define TOLVANE_PLATFORM_TEXT_CODEC_H_

#include <string>
#include <string_view>

namespace tolvane {

// The program keeps text as Windows-1252 bytes, one byte a character; these
// convert at the edges (widgets, SQLite, network).
std::string Cp1252ToUtf8(std::string_view text);
// Characters the code page lacks, and malformed UTF-8, become "?".
std::string Utf8ToCp1252(std::string_view text);
// Upper case over the whole code page ("\xE5" becomes "\xC5", "\x9A" becomes
// "\x8A"), as names are compared without regard to letter case.
std::string Cp1252Upper(std::string_view text);

// A line break inside the program is CR LF, as the message box of the original
// system wrote it; Qt's text boxes and the clipboard use LF alone.
// Every LF and every lone CR becomes CR LF.
std::string LineBreaksToCrLf(std::string_view text);
// Every CR LF and every lone CR becomes LF.
std::string LineBreaksToLf(std::string_view text);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_TEXT_CODEC_H_
