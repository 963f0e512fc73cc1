#ifndef TOLVANE_CORE_RATE_LIMIT_H_
#define TOLVANE_CORE_RATE_LIMIT_H_

#include <optional>
#include <string>

#include "core/send_host.h"
#include "platform/event_loop.h"
#include "store/message_store.h"

namespace tolvane {

// How fast one transport may send: at most `[Message] PerMinute` parts in
// any 60 seconds and `PerDay` in a local calendar day (0: no limit), counted
// in the message store from the time each message began to go, so that the
// day's count holds across restarts. A message that would take a count over
// its limit waits until it fits; one of more parts than a limit goes alone
// once nothing else counts, so that it never waits for ever.
class RateLimit {
 public:
  struct Pause {
    TimePoint until;
    // "at most 10 SMS a minute."
    std::string limit;
  };

  // Without a store nothing is counted.
  RateLimit(const MessageStore* store, std::string transport, int per_minute, int per_day);
  // The limits of the transport in use.
  explicit RateLimit(SendHost& host);

  // Until when a message of `parts` parts must wait at `now`; nothing when
  // it may go.
  std::optional<Pause> PauseAt(TimePoint now, int parts) const;
  // Processes events until a message of `parts` parts fits, the status line
  // saying until when; false, with the send cancelled, when "&Cancel" came
  // first.
  bool Await(SendContext& context, int parts) const;
  // Waits for the message box's text to one more recipient over the
  // transport in use.
  static bool AwaitNext(SendHost& host);

 private:
  int CountSince(TimePoint since) const;

  const MessageStore* store_;
  std::string transport_;
  int per_minute_;
  int per_day_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_RATE_LIMIT_H_
