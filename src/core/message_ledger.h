#ifndef TOLVANE_CORE_MESSAGE_LEDGER_H_
#define TOLVANE_CORE_MESSAGE_LEDGER_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/part_ledger.h"
#include "platform/event_loop.h"
#include "sms/received_part.h"
#include "store/message_store.h"

namespace tolvane {

// One recipient of a run as the store records it.
struct RunRecipient {
  std::string name;
  std::string number_typed;
  // Why the recipient is not sent to (kept as a refused message); empty
  // when it is.
  std::string skipped;
  // Filled by BeginRun.
  std::int64_t message_id = 0;
  // The recipient's own text, its fields filled; empty for the run's text.
  std::string text;
};

// What a run is: its kind ("single", "group", "list"), the group's name,
// the autosend file it came from, the transport, the text and the time it
// is to be delivered at.
struct RunStart {
  std::string kind;
  std::string title;
  std::string source;
  std::string transport;
  std::string text;
  std::optional<TimePoint> scheduled;
};

// The message store as the sends see it: every run and its messages are
// queued in the store before anything goes, each part is marked as it is
// written and answered, and a run that ends is closed. Without a store
// (it could not be opened) every send is refused with the reason.
class MessageLedger : public PartLedger {
 public:
  explicit MessageLedger(EventLoop& loop) : loop_(loop) {}

  // The store to use (not owned), or why there is none.
  void Use(MessageStore* store) { store_ = store; }
  void SetUnavailable(std::string reason) { unavailable_ = std::move(reason); }
  MessageStore* Store() const { return store_; }
  // The program's name in the runs it owns.
  void SetOwner(std::string owner) { owner_ = std::move(owner); }
  const std::string& Owner() const { return owner_; }

  // A new run: its recipients queued in one transaction. Empty when
  // queued; otherwise why nothing may be sent.
  std::string BeginRun(const RunStart& start, std::vector<RunRecipient>& recipients);
  // Continues a run cut short with `messages`; `pending` lists, for those
  // partly sent, the parts that go (the others go whole).
  void ResumeRun(std::int64_t run, const std::string& transport, std::vector<std::int64_t> messages,
                 std::map<std::int64_t, std::vector<int>> pending);
  bool RunOpen() const { return run_ != 0; }
  // The message goes now (counted for the rate limits).
  void MessageGoes(std::int64_t message);
  // The send of a message ended with `detail` on the receipt line.
  void EndMessage(std::int64_t message, const std::string& detail);
  // Whether the continued run leaves out a part of `message` that was written
  // before the program ended and never answered.
  bool LeftUnknown(std::int64_t message);
  // Ends the run; messages still queued are refused with `detail`.
  void EndRun(const std::string& detail);
  // A message that came to the account; false when the store could not
  // keep it.
  bool Received(const std::string& transport, const ReceivedPart& part);
  // The last failure to write the store since the last call; empty if none.
  std::string TakeError() { return std::exchange(error_, {}); }

  // PartLedger.
  void Cut(std::int64_t message, int part_count, int reference,
           const std::string& encoding) override;
  int StoredReference(std::int64_t message) const override;
  std::vector<int> PendingParts(std::int64_t message, int part_count) const override;
  std::string Writing(const std::vector<PartKey>& parts) override;
  void Answered(const PartKey& part, MessageState state, const std::string& ref,
                const std::string& detail) override;
  bool LateReceipt(const std::string& ref, MessageState state, const std::string& detail) override;

 private:
  // Runs a change of the store; a failure is kept for TakeError.
  template <typename Change>
  bool Try(Change change);

  EventLoop& loop_;
  MessageStore* store_ = nullptr;
  std::string unavailable_ = "The message store is not open.";
  std::string owner_;
  std::int64_t run_ = 0;
  std::string transport_;
  std::vector<std::int64_t> run_messages_;
  // Parts still to go of the messages of a resumed run.
  std::map<std::int64_t, std::vector<int>> pending_;
  std::map<std::int64_t, int> references_;
  std::string error_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_MESSAGE_LEDGER_H_
