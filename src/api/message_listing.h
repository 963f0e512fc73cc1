#ifndef TOLVANE_API_MESSAGE_LISTING_H_
#define TOLVANE_API_MESSAGE_LISTING_H_

#include <string_view>

#include "api/api_exchange.h"
#include "store/message_store.h"

namespace tolvane {

// GET /v1/messages?direction=&since=&peer=&limit=&cursor=: sent runs and
// received messages newest first, a page at a time; a bad parameter is 400
// naming it.
ApiResponse ListMessages(const MessageStore& store, std::string_view query);

}  // namespace tolvane

#endif  // TOLVANE_API_MESSAGE_LISTING_H_
