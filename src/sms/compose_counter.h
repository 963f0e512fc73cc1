#ifndef TOLVANE_SMS_COMPOSE_COUNTER_H_
#define TOLVANE_SMS_COMPOSE_COUNTER_H_

#include <string>
#include <string_view>

namespace tolvane {

// The counter a compose box shows beside the message, as a phone does.
struct ComposeCounter {
  // The room left in the current part, the number of parts, and " · Unicode"
  // when the text needs UCS-2 (GSM text has no suffix), such as
  // "47 left · 2 SMS · Unicode" or "160 left · 1 SMS" for an empty text. Past
  // the limit the excess instead: "7 SMS, over the limit of 6".
  std::string text;
  // More parts than the limit: the text cannot be sent as it is.
  bool over_limit = false;
};

// The counter of a UTF-8 text that may take at most `max_parts` parts. The
// room counts septets or UCS-2 units, so € takes two and so does an emoji.
// `up_to`: the text is the longest of several, counted "up to 2 SMS".
ComposeCounter CountForCompose(std::string_view utf8, int max_parts, bool up_to = false);

}  // namespace tolvane

#endif  // TOLVANE_SMS_COMPOSE_COUNTER_H_
