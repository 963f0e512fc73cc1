#ifndef TOLVANE_SMS_MESSAGE_SPLITTER_H_
#define TOLVANE_SMS_MESSAGE_SPLITTER_H_

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

enum class SmsEncoding { kGsm7, kUcs2 };

// The room of one part: GSM septets or UCS-2 16-bit units. A part of a
// linked message gives up 6 octets to the concatenation header.
inline constexpr int kSingleGsmSeptets = 160;
inline constexpr int kLinkedGsmSeptets = 153;
inline constexpr int kSingleUcs2Units = 70;
inline constexpr int kLinkedUcs2Units = 67;

// A text cut into the parts of a message.
struct TextParts {
  // GSM when every character is in the default alphabet or its extension
  // table, otherwise UCS-2 for the whole message.
  SmsEncoding encoding = SmsEncoding::kGsm7;
  // Each part as it is sent: GSM septet values one a byte (unpacked), or
  // UCS-2 big-endian octets.
  std::vector<std::string> parts;
  // The septets or units still free in the last part.
  int left_in_last = 0;
};

// Cuts UTF-8 text (malformed parts read as U+FFFD) into the fewest parts:
// one part when it fits a single one, otherwise linked parts, each as full as
// the next character allows. A character is never cut: an escape pair, or a
// surrogate pair, goes whole into the next part when the current one has
// room for only half of it. An empty text is one empty part.
TextParts SplitIntoParts(std::string_view utf8);

}  // namespace tolvane

#endif  // TOLVANE_SMS_MESSAGE_SPLITTER_H_
