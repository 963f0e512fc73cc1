#ifndef TOLVANE_SMS_USER_DATA_HEADER_H_
#define TOLVANE_SMS_USER_DATA_HEADER_H_

#include <cstddef>
#include <optional>
#include <string_view>

#include "sms/received_part.h"

namespace tolvane {

// The octets a user-data header takes at the start of `user_data`, its
// length octet (UDHL) included; all of them when the header claims more.
size_t UserDataHeaderSize(std::string_view user_data);

// Where the part whose user-data header is `header` (its length octet
// first) belongs: the concatenation element 00 (8-bit reference) or 08
// (16-bit), the last one when there are several. An element whose part
// count is 0, or whose place is 0 or beyond the count, is ignored, as
// 3GPP TS 23.040 wants; a count of 1 is a whole message. Nothing then.
std::optional<PartLink> ReadPartLink(std::string_view header);

}  // namespace tolvane

#endif  // TOLVANE_SMS_USER_DATA_HEADER_H_
