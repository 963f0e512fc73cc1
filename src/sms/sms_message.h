#ifndef TOLVANE_SMS_SMS_MESSAGE_H_
#define TOLVANE_SMS_SMS_MESSAGE_H_

#include <string>
#include <string_view>
#include <vector>

#include "sms/message_splitter.h"
#include "sms/reference_counter.h"

namespace tolvane {

// One part as a transport sends it.
struct SmsPart {
  // The user-data header with its length octet: the concatenation element
  // 00 03 ref total seq behind UDHL 05 in each part of a linked message;
  // empty for a message of one part.
  std::string header;
  // GSM septets one a byte (unpacked), or UCS-2 big-endian octets.
  std::string payload;
};

// A message ready to be sent, or refused.
struct SmsMessage {
  SmsEncoding encoding = SmsEncoding::kGsm7;
  std::vector<SmsPart> parts;
  // Why the message is refused, such as "Message too long: 7 parts, at most
  // 6"; empty when it may be sent. A refused message has no parts.
  std::string error;
};

// Splits the UTF-8 text and links the parts. `max_parts` is held to 1 to 255.
// The reference counter is asked only for a linked message that may be sent,
// so a refused message uses up no reference.
SmsMessage PrepareMessage(std::string_view utf8, int max_parts, ReferenceCounter& references);

}  // namespace tolvane

#endif  // TOLVANE_SMS_SMS_MESSAGE_H_
