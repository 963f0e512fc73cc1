#ifndef TOLVANE_API_MESSAGE_POST_H_
#define TOLVANE_API_MESSAGE_POST_H_

#include "api/api_exchange.h"
#include "api/api_services.h"
#include "inbox/conversation_names.h"

namespace tolvane {

// POST /v1/messages: the body read and checked (400 for what it says wrong,
// 422 for what the program cannot send, 429 over today's limit), the run
// queued in the message store (503 when it cannot be written) and handed
// to the queue, answered 202 with the run; a repeat under the same
// Idempotency-Key gets the first answer again without sending. `names`
// names the numbers given from the phone book, read again only after it
// changed.
ApiResponse PostMessage(const ApiRequest& request, ApiServices& services, ConversationNames& names);

}  // namespace tolvane

#endif  // TOLVANE_API_MESSAGE_POST_H_
