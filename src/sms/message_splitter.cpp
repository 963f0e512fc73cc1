#include "sms/message_splitter.h"

#include <algorithm>

#include "sms/gsm_alphabet.h"
#include "sms/ucs2.h"
#include "text/utf8.h"

namespace tolvane {

TextParts SplitIntoParts(std::string_view utf8) {
  const std::u32string text = DecodeUtf8(utf8);
  const bool gsm =
      std::all_of(text.begin(), text.end(), [](char32_t c) { return GsmSeptetCount(c) > 0; });
  const auto units_of = [gsm](char32_t c) { return gsm ? GsmSeptetCount(c) : Ucs2UnitCount(c); };
  int total = 0;
  for (char32_t c : text) total += units_of(c);
  const int single = gsm ? kSingleGsmSeptets : kSingleUcs2Units;
  const int capacity = total <= single ? single : gsm ? kLinkedGsmSeptets : kLinkedUcs2Units;

  TextParts result;
  result.encoding = gsm ? SmsEncoding::kGsm7 : SmsEncoding::kUcs2;
  result.parts.emplace_back();
  int used = 0;
  for (char32_t c : text) {
    const int units = units_of(c);
    if (used + units > capacity) {
      result.parts.emplace_back();
      used = 0;
    }
    if (gsm) {
      AppendGsmSeptets(c, result.parts.back());
    } else {
      result.parts.back() += EncodeUcs2(std::u32string_view(&c, 1));
    }
    used += units;
  }
  result.left_in_last = capacity - used;
  return result;
}

}  // namespace tolvane
