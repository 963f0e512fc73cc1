#ifndef TOLVANE_SMS_DELIVER_PDU_H_
#define TOLVANE_SMS_DELIVER_PDU_H_

#include <optional>
#include <string_view>

#include "sms/received_part.h"
#include "sms/status_report.h"

namespace tolvane {

// Reads an SMS-DELIVER in hex, as +CMGR and +CMGL give it: the sender, the
// centre's time stamp, the text in GSM 7-bit (with the extension table),
// UCS-2 or 8-bit data ("Binary message, n bytes"), the concatenation element
// of a user data header (8- or 16-bit reference) and class 0. Nothing for
// anything that is not a whole SMS-DELIVER: bad hex, another kind of TPDU, a
// field cut short, a time stamp that is not decimal, user data shorter than
// its length says or a header running past it.
std::optional<ReceivedPart> ReadDeliver(std::string_view hex, ServiceCentrePrefix prefix);

}  // namespace tolvane

#endif  // TOLVANE_SMS_DELIVER_PDU_H_
