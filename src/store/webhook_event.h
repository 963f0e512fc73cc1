#ifndef TOLVANE_STORE_WEBHOOK_EVENT_H_
#define TOLVANE_STORE_WEBHOOK_EVENT_H_

#include <cstdint>
#include <string>

#include "platform/event_loop.h"

namespace tolvane {

// An event for the program's webhook, kept until its receiver took it or
// it was given up.
struct WebhookEvent {
  enum class State { kPending, kSent, kDropped };

  std::int64_t id = 0;
  // "message.received", "message.accepted", ...
  std::string type;
  // The message as the API names it: "out-<run>" or "in-<message>".
  std::string message_id;
  // The recipient of an outgoing message the event is about; empty for a
  // received one.
  std::string recipient;
  TimePoint created;
  int attempts = 0;
  TimePoint next_attempt;
  State state = State::kPending;
};

}  // namespace tolvane

#endif  // TOLVANE_STORE_WEBHOOK_EVENT_H_
