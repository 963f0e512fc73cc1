#ifndef TOLVANE_STORE_MESSAGE_STATE_H_
#define TOLVANE_STORE_MESSAGE_STATE_H_

#include <optional>
#include <string_view>
#include <vector>

namespace tolvane {

// Where a message, or one part of it, stands. An outgoing one goes
// queued -> writing (its submit is about to leave) -> accepted | refused |
// unknown (written, never answered) -> delivered | failed | expired (from
// receipts); an incoming one is received.
enum class MessageState {
  kQueued,
  kWriting,
  kAccepted,
  kRefused,
  kUnknown,
  kDelivered,
  kFailed,
  kExpired,
  kReceived,
};

// The state's name as the store's `state` columns hold it ("queued", ...).
std::string_view StateName(MessageState state);
std::optional<MessageState> StateNamed(std::string_view name);

// The state of a message from the states of its parts: a refusal or a
// failure of any part is the message's; a message partly written is still
// being written; it is delivered only when every part is.
MessageState MessageStateOf(const std::vector<MessageState>& parts);

}  // namespace tolvane

#endif  // TOLVANE_STORE_MESSAGE_STATE_H_
