#ifndef TOLVANE_STORE_MESSAGE_STORE_H_
#define TOLVANE_STORE_MESSAGE_STORE_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/message_state_listener.h"
#include "store/opt_out_list.h"
#include "store/stored_records.h"
#include "store/webhook_event.h"

struct sqlite3;

namespace tolvane {

// Every message the program sends or receives, in one SQLite file
// (`messages.db`, WAL journal). What must survive a crash before the next
// step (the queued rows of a run, a part marked writing before its submit
// leaves) is committed with `synchronous=FULL`; answers and receipts, which
// only add to what is known, are committed without waiting for the disk.
// Failures throw StoreError.
class MessageStore : public OptOutList {
 public:
  static constexpr int kSchemaVersion = 4;

  // Opens the store, creating it or bringing an older one up to date.
  explicit MessageStore(const std::string& path);
  ~MessageStore() override;
  MessageStore(const MessageStore&) = delete;
  MessageStore& operator=(const MessageStore&) = delete;

  // A new run with its messages, every part queued, in one transaction;
  // fills in the ids.
  // A message to a number in its national form is kept under the
  // international form when a conversation with that number was last kept so.
  void AddRun(StoredRun& run, std::vector<StoredMessage>& messages);
  // An incoming message, unread, on the disk before this returns; fills in
  // its id.
  void AddReceived(StoredMessage& message);
  // A received message from `number` is stored already: one with the same
  // centre time stamp and text or, without a time stamp, the same text
  // stored at `since` or later.
  bool HasReceived(const std::string& number, const std::string& centre_time,
                   const std::string& text, TimePoint since) const;
  // Of `numbers`, the one a message was last stored under, if any.
  std::optional<std::string> LatestNumber(const std::vector<std::string>& numbers) const;
  // Keeps a part of a linked message (on the disk before this returns);
  // false when that part is kept already, or was part of a message stored
  // since `since` with the same time stamp (or, without one, text).
  bool AddInboundPart(const InboundPart& part, TimePoint since);
  // The parts kept of the message `part` belongs to, by index.
  std::vector<InboundPart> InboundParts(const InboundPart& part) const;
  // Stores `message` made of the parts kept with `part`'s key, which stay
  // only to recognise a part delivered again; fills in its id.
  void CompleteInbound(StoredMessage& message, const InboundPart& part);
  // One part of each linked message still waiting whose first part came
  // at `before` or earlier.
  std::vector<InboundPart> WaitingSince(TimePoint before) const;
  // When the oldest part still waiting for the rest came; nothing when none
  // waits.
  std::optional<TimePoint> OldestWaiting() const;
  // Forgets the parts of messages stored before `before`.
  void ForgetInboundBefore(TimePoint before);

  // The numbers that asked to receive nothing more.
  void SetOptedOut(const std::string& number, bool opted_out, TimePoint now) override;
  bool OptedOut(const std::string& number) const;
  std::vector<std::string> OptOuts() const override;

  // The transport cut the message into `part_count` parts linked by
  // `reference` (-1: not linked).
  void SetCut(std::int64_t message, int part_count, int reference, const std::string& encoding);
  // The parts' submits are about to leave: on the disk before this returns.
  void MarkWriting(const std::vector<PartKey>& parts, TimePoint now);
  // A part's answer or receipt.
  void SetPart(const PartKey& part, MessageState state, const std::string& ref,
               const std::string& detail, TimePoint now);
  // The first part of the message goes now (counted for the rate limits).
  void MarkSent(std::int64_t message, TimePoint now);
  // The send of the message ended: parts never written are refused with
  // `detail`, parts written and never answered are unknown.
  void EndMessage(std::int64_t message, const std::string& detail, TimePoint now);
  // Parts still queued of a run cut short, when it is dropped or cannot go.
  void RefuseQueued(std::int64_t message, const std::string& detail, TimePoint now);
  void EndRun(std::int64_t run, TimePoint now);
  // Hands a run whose owner is gone to `to`; false when another took it first.
  bool ClaimRun(std::int64_t run, const std::string& from, const std::string& to);

  // The part of a message sent over `transport` whose answer gave `ref`
  // (the latest, where a transport's references repeat).
  std::optional<PartKey> FindPart(const std::string& transport, const std::string& ref) const;
  std::optional<StoredMessage> Message(std::int64_t id) const;
  // Runs not ended, oldest first.
  std::vector<StoredRun> OpenRuns() const;
  std::optional<StoredRun> Run(std::int64_t id) const;
  // Up to `count` runs (`out`) and received messages (`in`) from `since` on,
  // newest first, from the one after `after` on.
  std::vector<ListedEntry> Newest(bool out, bool in, std::optional<TimePoint> since,
                                  const std::optional<ListedEntry>& after, int count) const;
  // The messages of open runs over `transport` that have not begun to go,
  // and their parts.
  QueuedTally Queued(const std::string& transport) const;
  // The answer kept for an idempotency key at `since` or later.
  std::optional<KeptAnswer> KeptAnswerFor(const std::string& key, TimePoint since) const;
  // Keeps `answer` for `key`, dropping those kept before `forget_before`.
  void KeepAnswer(const std::string& key, const KeptAnswer& answer, TimePoint now,
                  TimePoint forget_before);
  std::vector<StoredMessage> RunMessages(std::int64_t run) const;
  // Parts of messages over `transport` that began to go at `since` or later.
  int PartsSentSince(const std::string& transport, TimePoint since) const;
  std::int64_t MessageCount() const;

  // Told after each commit that changed the state of outgoing messages (not
  // owned; removed before it goes).
  void AddListener(MessageStateListener* listener) { listeners_.push_back(listener); }
  void RemoveListener(MessageStateListener* listener);

  // A new webhook event; fills in its id.
  void AddWebhookEvent(WebhookEvent& event);
  // The pending event due first among the oldest pending event of each
  // message, so that a message's events go in order.
  std::optional<WebhookEvent> NextWebhookEvent() const;
  // Its attempts, next attempt and state.
  void UpdateWebhookEvent(const WebhookEvent& event);

 private:
  void Open(const std::string& path);
  void JoinConversations(std::vector<StoredMessage>& messages) const;
  void Transaction(bool durable, const std::function<void()>& change);
  void InsertReceived(StoredMessage& message);
  void UpdateMessageState(std::int64_t message, TimePoint now, bool ended);
  // Tells the listeners of the changes the last commit made.
  void TellChanges();
  std::vector<StoredPart> Parts(std::int64_t message) const;

  std::unique_ptr<sqlite3, int (*)(sqlite3*)> db_;
  // The synchronous mode the connection is in; none set yet.
  std::optional<bool> durable_;
  std::vector<MessageStateListener*> listeners_;
  // Changes of the transaction in progress, told once it is committed.
  std::vector<MessageStateChange> changes_;
};

}  // namespace tolvane

#endif  // TOLVANE_STORE_MESSAGE_STORE_H_
