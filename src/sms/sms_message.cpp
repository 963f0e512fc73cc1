#include "sms/sms_message.h"

#include <algorithm>

#include "sms/message_settings.h"

namespace tolvane {
namespace {

constexpr char kConcatenationHeaderLength = 0x05;
constexpr char kConcatenationElement = 0x00;
constexpr char kConcatenationElementLength = 0x03;

}  // namespace

SmsMessage PrepareMessage(std::string_view utf8, int max_parts, ReferenceCounter& references) {
  TextParts split = SplitIntoParts(utf8);
  max_parts = std::clamp(max_parts, kLeastMaxParts, kMostMaxParts);
  SmsMessage message;
  message.encoding = split.encoding;
  const size_t count = split.parts.size();
  if (count > static_cast<size_t>(max_parts)) {
    message.error = "Message too long: " + std::to_string(count) + " parts, at most " +
                    std::to_string(max_parts);
    return message;
  }
  if (count == 1) {
    message.parts.push_back({"", std::move(split.parts.front())});
    return message;
  }
  const char reference = static_cast<char>(references.Next());
  for (size_t i = 0; i < count; ++i) {
    const std::string header = {kConcatenationHeaderLength,  kConcatenationElement,
                                kConcatenationElementLength, reference,
                                static_cast<char>(count),    static_cast<char>(i + 1)};
    message.parts.push_back({header, std::move(split.parts[i])});
  }
  return message;
}

}  // namespace tolvane
