#ifndef TOLVANE_CORE_MESSAGE_CUT_H_
#define TOLVANE_CORE_MESSAGE_CUT_H_

#include <string>

#include "core/send_context.h"
#include "platform/file_system.h"
#include "sms/sms_message.h"

namespace tolvane {

// Cuts `text` into the parts of the message being sent (`SendState::message_id`)
// and records the cut in the message store. A message resumed after a
// restart keeps the reference its first parts went under, so the phone
// still joins them; a new one takes the next from `smsref.dat`.
SmsMessage CutMessage(SendContext& context, FileSystem& files, const std::string& text);

}  // namespace tolvane

#endif  // TOLVANE_CORE_MESSAGE_CUT_H_
