#ifndef TOLVANE_INBOX_INBOX_H_
#define TOLVANE_INBOX_INBOX_H_

#include <memory>
#include <string>
#include <vector>

#include "inbox/inbox_settings.h"
#include "inbox/opt_out_words.h"
#include "platform/event_loop.h"
#include "sms/received_part.h"
#include "store/message_store.h"

namespace tolvane {

class InboxListener;

// What the inbox needs of the program around it.
class InboxHost {
 public:
  virtual ~InboxHost() = default;
  // The phone-book name of `number`; empty when it has none.
  virtual std::string NameOf(const std::string& number) = 0;
  // The log's "Received" line for a whole message.
  virtual void LogReceived(const std::string& sender, const std::string& text) = 0;
};

// Keeps what the transports receive. A part of a linked message waits in the
// store until every part has come, in any order and across restarts; after
// `[Inbox] PartsWait` hours the message is stored as it is, each gap shown
// as "[…]". A part or a message delivered again is recognised and kept
// once: the same part of a message still waiting, or the same sender with
// the same centre time stamp (without one, the same text within 10 minutes).
// A whole message is logged, may stop or start its sender, and is told to
// the listeners.
class Inbox {
 public:
  static constexpr char kGap[] = "[\u2026]";

  Inbox(MessageStore* store, EventLoop& loop, InboxHost& host, const InboxSettings& settings);
  ~Inbox();
  Inbox(const Inbox&) = delete;
  Inbox& operator=(const Inbox&) = delete;

  // Keeps `part`, received over `transport`; on the disk before this returns
  // unless the outcome is kNotKept.
  ReceiveOutcome Take(const std::string& transport, const ReceivedPart& part);
  // Stores as they are the linked messages that waited too long.
  void StoreOverdue();
  void AddListener(InboxListener* listener) { listeners_.push_back(listener); }

 private:
  // The number a message from `number` is filed under: the national form a
  // conversation already has, otherwise `number`.
  std::string ConversationNumber(const std::string& number) const;
  ReceiveOutcome TakeLinked(const std::string& transport, const ReceivedPart& part,
                            const std::string& number);
  // Stores the message made of the waiting parts of `key`'s message.
  void Complete(const InboundPart& key, const std::vector<InboundPart>& parts);
  void Arrived(const StoredMessage& message);
  // The next check when the oldest part waiting is due.
  void ScheduleOverdue();

  MessageStore* store_;
  EventLoop& loop_;
  InboxHost& host_;
  const InboxSettings& settings_;
  std::unique_ptr<Timer> overdue_timer_;
  std::vector<InboxListener*> listeners_;
};

}  // namespace tolvane

#endif  // TOLVANE_INBOX_INBOX_H_
