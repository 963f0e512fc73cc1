#ifndef TOLVANE_API_MESSAGE_RESOURCE_H_
#define TOLVANE_API_MESSAGE_RESOURCE_H_

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"
#include "store/message_store.h"

namespace tolvane {

// A time as the API writes it: RFC 3339 in UTC, "2026-12-08T18:40:00Z".
std::string Rfc3339(TimePoint time);
// An RFC 3339 time with "Z" or an offset (fractions of a second taken);
// also the "2026-12-08 15:10:12 +01:00" of a centre's time stamp.
std::optional<TimePoint> ReadRfc3339(std::string_view text);

// What an id of the API names: a run ("out-17") or a received message
// ("in-5").
struct MessageId {
  bool incoming = false;
  std::int64_t id = 0;
};
std::optional<MessageId> ReadMessageId(std::string_view text);

// A run as the API shows it (its messages in the store's order); nothing
// when there is no such run.
std::optional<nlohmann::json> OutgoingResource(const MessageStore& store, std::int64_t run);
// A received message as the API shows it; nothing when there is none.
std::optional<nlohmann::json> IncomingResource(const MessageStore& store, std::int64_t message);

// The message an id names ("out-17", "in-5") as the API shows it.
std::optional<nlohmann::json> ResourceById(const MessageStore& store, std::string_view id);

// The run's state: "queued" before any message began, "sending", "ended",
// or "cancelled" when every recipient was.
std::string RunStateName(const StoredRun& run, const std::vector<StoredMessage>& messages);

}  // namespace tolvane

#endif  // TOLVANE_API_MESSAGE_RESOURCE_H_
