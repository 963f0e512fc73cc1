#include "sms/compose_counter.h"

#include "sms/message_splitter.h"
#include "text/utf8.h"

namespace tolvane {

std::string ComposeCounterText(std::string_view utf8) {
  const TextParts split = SplitIntoParts(utf8);
  constexpr const char* kDot = " \u00B7 ";
  std::string text = std::to_string(split.left_in_last) + " left" + kDot +
                     std::to_string(split.parts.size()) + " SMS";
  if (split.encoding == SmsEncoding::kUcs2) text += std::string(kDot) + "Unicode";
  return text;
}

std::string FitToParts(std::string_view utf8, int max_parts) {
  const auto fits = [max_parts](std::string_view text) {
    return static_cast<int>(SplitIntoParts(text).parts.size()) <= max_parts;
  };
  if (fits(utf8)) return std::string(utf8);
  const std::u32string characters = DecodeUtf8(utf8);
  // Fewer characters never need more parts, so the longest start that fits
  // is found by halving.
  size_t fitting = 0;
  size_t too_many = characters.size();
  while (too_many - fitting > 1) {
    const size_t middle = fitting + (too_many - fitting) / 2;
    if (fits(EncodeUtf8(std::u32string_view(characters).substr(0, middle)))) {
      fitting = middle;
    } else {
      too_many = middle;
    }
  }
  return EncodeUtf8(std::u32string_view(characters).substr(0, fitting));
}

}  // namespace tolvane
