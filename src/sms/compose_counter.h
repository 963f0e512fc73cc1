#ifndef TOLVANE_SMS_COMPOSE_COUNTER_H_
#define TOLVANE_SMS_COMPOSE_COUNTER_H_

#include <string>
#include <string_view>

namespace tolvane {

// The counter a compose box shows beside the message, as a phone does:
// the room left in the current part, the number of parts, and " · Unicode"
// when the text needs UCS-2 (GSM text has no suffix), such as
// "47 left · 2 SMS · Unicode" or "160 left · 1 SMS" for an empty text. The
// room counts septets or UCS-2 units, so € takes two and so does an emoji.
// The text is UTF-8, and so is the counter.
std::string ComposeCounterText(std::string_view utf8);

// The longest start of the text, in whole characters, that goes into at most
// `max_parts` parts: what a compose box keeps of a text typed or pasted past
// its room.
std::string FitToParts(std::string_view utf8, int max_parts);

}  // namespace tolvane

#endif  // TOLVANE_SMS_COMPOSE_COUNTER_H_
