#include "sms/compose_counter.h"

#include "sms/message_splitter.h"
#include "text/utf8.h"

namespace tolvane {

ComposeCounter CountForCompose(std::string_view utf8, int max_parts, bool up_to) {
  const TextParts split = SplitIntoParts(utf8);
  constexpr const char* kDot = " \u00B7 ";
  const std::string parts = (up_to ? "up to " : "") + std::to_string(split.parts.size()) + " SMS";
  ComposeCounter counter;
  counter.over_limit = static_cast<int>(split.parts.size()) > max_parts;
  counter.text = counter.over_limit ? parts + ", over the limit of " + std::to_string(max_parts)
                                    : std::to_string(split.left_in_last) + " left" + kDot + parts;
  if (split.encoding == SmsEncoding::kUcs2) counter.text += std::string(kDot) + "Unicode";
  return counter;
}

}  // namespace tolvane
