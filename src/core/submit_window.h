#ifndef TOLVANE_CORE_SUBMIT_WINDOW_H_
#define TOLVANE_CORE_SUBMIT_WINDOW_H_

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/ended_message.h"
#include "core/part_receipts.h"
#include "core/send_context.h"
#include "platform/event_loop.h"
#include "sms/status_report.h"

namespace tolvane {

// What the far end answered to one submitted part.
struct PartAnswer {
  enum class Kind {
    kAccepted,  // `id` names the part in its receipts
    kRetry,     // refused for now (throttling, a busy queue): sent again later
    kRefused,   // `text` says why, as the receipt line shows it
  };
  Kind kind = Kind::kAccepted;
  std::string id;
  std::string text;
};

struct WindowTiming {
  int answer_ms = 30000;
  // From the last part's answer to the last receipt.
  int receipt_ms = 82000;
  // The pause after a throttled burst: it doubles with each burst, up to
  // the longest, and is back at the first after an acceptance.
  int first_backoff_ms = 1000;
  int longest_backoff_ms = 30000;
  // A part refused for now this often more is given up.
  int retries = 10;
};

// The messages of a send or a group run on their way over a connection
// that takes several submits before it answers any: at most `size` parts
// outstanding, each answer matched by the key its submit was written with,
// each message's receipts by the ids its answers gave, whenever they come:
// a receipt before its message's last answer, or before the answer that
// names it, is kept until the message is complete. Every part's deadline
// is its own, from its submit. Messages end in
// whatever order their outcomes come; the transport collects them with
// `TakeEnded` outside its data handler, so ending one (which logs it) never
// runs inside the reading of the connection.
class SubmitWindow {
 public:
  // Writes a part's submit and returns the key its answer will carry.
  using Submit = std::function<int(const std::string& part)>;

  SubmitWindow(SendContext& context, int size, WindowTiming timing, Submit submit);
  ~SubmitWindow();

  // Queues a message's parts (submit bodies, first to last), `indices`
  // their places in the whole message (0, 1, ... when empty: a message
  // resumed after a restart sends only the parts never written);
  // `wants_receipts` keeps it until every part's receipt came.
  void Add(WindowMember member, std::vector<std::string> parts, bool wants_receipts,
           std::vector<int> indices = {});
  // Submits are written only while the connection is open.
  void SetOpen(bool open);
  void Answered(int key, const PartAnswer& answer);
  void Receipt(const std::string& id, DeliveryOutcome outcome, const std::string& reason);
  // The connection broke: a part without its answer ends its message with
  // `unanswered`, unless `resend` puts it back in the queue to go again.
  void Broken(bool resend, const std::string& unanswered);
  // Ends every message not yet ended: one not yet taken whole with
  // `unsent`, one taken and waiting for its receipts with `unreported`.
  void EndAll(const std::string& unsent, const std::string& unreported);

  // Parts not yet submitted.
  bool Queued() const { return !queue_.empty(); }
  // Nothing left to send, answer or receive.
  bool Idle() const { return messages_.empty(); }
  bool HasEnded() const { return !ended_.empty(); }
  std::vector<EndedMessage> TakeEnded();
  // Submits written and not answered.
  int Outstanding() const { return static_cast<int>(outstanding_.size()); }
  // Whether a part written under `key` still waits for its answer.
  bool Holds(int key) const { return outstanding_.contains(key); }

 private:
  struct Message;
  struct QueuedPart {
    int message = 0;
    size_t part = 0;
    int retries = 0;
  };
  struct OutstandingPart {
    QueuedPart queued;
    TimePoint sent;
  };
  struct HeldReceipt {
    std::string id;
    DeliveryOutcome outcome;
    std::string reason;
  };

  // Writes what there is room for and sets the timer for the next deadline.
  void Pump();
  void Arm();
  void OnTimer();
  // Puts a part back in the queue, in the order the parts first went.
  void Requeue(const QueuedPart& part);
  // A throttled answer: one pause for a burst of them.
  void Throttled(const QueuedPart& part, TimePoint sent);
  void Accept(int key, Message& message, size_t part, const std::string& id);
  // Tells the message store what became of a part.
  void Record(const Message& message, size_t part, MessageState state, const std::string& ref,
              const std::string& detail);
  void End(int message, const std::string& receipt, bool accepted);
  // The receipt line's text for a part of the message.
  std::string Label(const Message& message, size_t part) const;

  SendContext& context_;
  EventLoop& loop_;
  const int size_;
  const WindowTiming timing_;
  Submit submit_;
  std::unique_ptr<Timer> timer_;
  bool open_ = false;
  // Shrinks while the far end asks to slow down, grows back with each answer.
  int limit_;
  int backoff_ms_;
  TimePoint resume_at_;
  // When the last pause began: a throttled answer to a submit written
  // before it belongs to the same burst.
  TimePoint throttled_at_;
  int next_message_ = 0;
  std::map<int, Message> messages_;
  std::deque<QueuedPart> queue_;
  std::map<int, OutstandingPart> outstanding_;
  // The receipt id of each accepted part whose message waits for receipts.
  std::map<std::string, int> receipt_ids_;
  // Receipts that came before their message was complete, in order.
  std::deque<HeldReceipt> held_;
  std::vector<EndedMessage> ended_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_SUBMIT_WINDOW_H_
