#include "sms/compose_counter.h"

#include "sms/message_splitter.h"

namespace tolvane {

std::string ComposeCounterText(std::string_view utf8) {
  const TextParts split = SplitIntoParts(utf8);
  constexpr const char* kDot = " \u00B7 ";
  std::string text = std::to_string(split.left_in_last) + " left" + kDot +
                     std::to_string(split.parts.size()) + " SMS";
  if (split.encoding == SmsEncoding::kUcs2) text += std::string(kDot) + "Unicode";
  return text;
}

}  // namespace tolvane
