#ifndef TOLVANE_STORE_MESSAGE_STATE_LISTENER_H_
#define TOLVANE_STORE_MESSAGE_STATE_LISTENER_H_

#include <cstdint>
#include <string>

#include "store/message_state.h"

namespace tolvane {

// An outgoing message whose state a commit of the store changed.
struct MessageStateChange {
  std::int64_t message = 0;
  std::int64_t run = 0;
  // The recipient in international form where the number allows it.
  std::string number;
  MessageState from = MessageState::kQueued;
  MessageState to = MessageState::kQueued;
};

// Told of every such change once it is committed, whatever transport made it.
class MessageStateListener {
 public:
  virtual ~MessageStateListener() = default;
  virtual void MessageStateChanged(const MessageStateChange& change) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_STORE_MESSAGE_STATE_LISTENER_H_
