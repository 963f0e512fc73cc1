#include "store/message_state.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tolvane {

namespace {

constexpr std::array<std::pair<MessageState, std::string_view>, 9> kNames = {{
    {MessageState::kQueued, "queued"},
    {MessageState::kWriting, "writing"},
    {MessageState::kAccepted, "accepted"},
    {MessageState::kRefused, "refused"},
    {MessageState::kUnknown, "unknown"},
    {MessageState::kDelivered, "delivered"},
    {MessageState::kFailed, "failed"},
    {MessageState::kExpired, "expired"},
    {MessageState::kReceived, "received"},
}};

}  // namespace

std::string_view StateName(MessageState state) {
  for (const auto& [value, name] : kNames) {
    if (value == state) return name;
  }
  return "queued";
}

std::optional<MessageState> StateNamed(std::string_view name) {
  for (const auto& [value, known] : kNames) {
    if (known == name) return value;
  }
  return std::nullopt;
}

MessageState MessageStateOf(const std::vector<MessageState>& parts) {
  auto any = [&](MessageState state) {
    return std::find(parts.begin(), parts.end(), state) != parts.end();
  };
  auto all = [&](MessageState state) {
    return std::all_of(parts.begin(), parts.end(), [state](MessageState s) { return s == state; });
  };
  if (parts.empty()) return MessageState::kQueued;
  for (MessageState decisive : {MessageState::kRefused, MessageState::kFailed,
                                MessageState::kExpired, MessageState::kUnknown}) {
    if (any(decisive)) return decisive;
  }
  if (all(MessageState::kQueued)) return MessageState::kQueued;
  if (any(MessageState::kWriting) || any(MessageState::kQueued)) return MessageState::kWriting;
  if (all(MessageState::kDelivered)) return MessageState::kDelivered;
  if (all(MessageState::kReceived)) return MessageState::kReceived;
  return MessageState::kAccepted;
}

}  // namespace tolvane
