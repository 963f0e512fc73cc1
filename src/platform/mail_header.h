#ifndef TOLVANE_PLATFORM_MAIL_HEADER_H_
#define TOLVANE_PLATFORM_MAIL_HEADER_H_

#include <string>
#include <string_view>

namespace tolvane {

// The line that stands for a message in the mail summary: the sender's
// display name (or address when it has none), ": " and the subject, with
// encoded words decoded, as UTF-8 text on one line. `header` is the
// message's header block as received (lines ended by CR LF or LF).
std::string MessageLine(std::string_view header);

// A header value with its encoded words (=?charset?B|Q?text?=) decoded, as
// UTF-8; unknown character sets leave "?" for their non-ASCII bytes.
std::string DecodeHeaderText(std::string_view value);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_MAIL_HEADER_H_
