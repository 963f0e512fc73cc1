#ifndef TOLVANE_PLATFORM_TEXT_CODEC_H_
#define TOLVANE_PLATFORM_TEXT_CODEC_H_

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The program keeps text as UTF-8; the files it shares with other programs
// and the original transports' bytes are Windows-1252, one byte a character.
// These convert at those edges.
std::string Cp1252ToUtf8(std::string_view text);
// Characters the code page lacks, and malformed UTF-8, become "?". Callers
// that must not lose a character ask FirstOutsideCp1252 first.
std::string Utf8ToCp1252(std::string_view text);
// Text from another program (a file in the autosend folder, a command line,
// a server's answer) comes either as UTF-8 or as Windows-1252: bytes that are
// valid UTF-8 are taken as they are (a leading byte-order mark dropped),
// anything else as Windows-1252, as such text was always read.
std::string ForeignTextToUtf8(std::string_view bytes);

// The first character of the UTF-8 text that Windows-1252 cannot hold.
std::optional<char32_t> FirstOutsideCp1252(std::string_view text);

// Files that keep a record of what happened (the log, the receipt files,
// tolvmsg.ini) must not lose a character: one outside the code page is
// written as the numeric reference "&#N;" (N decimal), and an "&" that would
// read as the start of one as "&#38;". Reading gives back the original text;
// a reference that names no character stays as it is.
std::string Utf8ToCp1252WithReferences(std::string_view text);
std::string Cp1252WithReferencesToUtf8(std::string_view bytes);
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
