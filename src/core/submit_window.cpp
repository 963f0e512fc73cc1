#include "core/submit_window.h"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <optional>
#include <utility>

#include "core/receipt_texts.h"

namespace tolvane {
namespace {

constexpr char kNoAnswer[] = "Unknown: no answer came within ";
// Receipts that match no message yet: kept for one that may still come, the
// oldest dropped beyond this many (those of other sessions of the account).
constexpr size_t kHeldReceipts = 1000;

}  // namespace

struct SubmitWindow::Message {
  WindowMember member;
  std::vector<std::string> parts;
  std::vector<int> indices;
  bool wants_receipts = false;
  std::vector<std::string> ids;
  size_t answered = 0;
  // Set once every part was taken and receipts are awaited.
  std::optional<PartReceipts> receipts;
  TimePoint receipt_deadline;
};

SubmitWindow::SubmitWindow(SendContext& context, int size, WindowTiming timing, Submit submit)
    : context_(context),
      loop_(context.Loop()),
      size_(std::max(1, size)),
      timing_(timing),
      submit_(std::move(submit)),
      timer_(loop_.CreateTimer()),
      limit_(size_),
      backoff_ms_(timing.first_backoff_ms),
      resume_at_(loop_.Now()),
      throttled_at_(TimePoint::min()) {
  timer_->SetSingleShot(true);
  timer_->SetCallback([this] { OnTimer(); });
}

SubmitWindow::~SubmitWindow() { timer_->Stop(); }

void SubmitWindow::Add(WindowMember member, std::vector<std::string> parts, bool wants_receipts,
                       std::vector<int> indices) {
  const int id = next_message_++;
  Message& message = messages_[id];
  message.member = std::move(member);
  if (indices.size() != parts.size()) {
    indices.resize(parts.size());
    std::iota(indices.begin(), indices.end(), 0);
  }
  message.indices = std::move(indices);
  message.wants_receipts = wants_receipts;
  message.ids.resize(parts.size());
  for (size_t i = 0; i < parts.size(); ++i) queue_.push_back({id, i, 0});
  message.parts = std::move(parts);
  if (message.parts.empty()) End(id, kReceiptSent, true);
  Pump();
}

void SubmitWindow::SetOpen(bool open) {
  open_ = open;
  Pump();
}

void SubmitWindow::Pump() {
  // The parts there is room for are marked in the store in one step before
  // the first of them is written.
  std::vector<QueuedPart> batch;
  while (open_ && !queue_.empty() && Outstanding() + static_cast<int>(batch.size()) < limit_ &&
         loop_.Now() >= resume_at_) {
    const QueuedPart queued = queue_.front();
    queue_.pop_front();
    if (messages_.contains(queued.message)) batch.push_back(queued);
  }
  std::vector<PartKey> keys;
  for (const QueuedPart& queued : batch) {
    const Message& message = messages_.at(queued.message);
    keys.push_back({message.member.message_id, message.indices[queued.part]});
  }
  if (const std::string refusal = context_.Ledger().Writing(keys); !refusal.empty()) {
    for (const QueuedPart& queued : batch) End(queued.message, refusal, false);
    batch.clear();
  }
  for (const QueuedPart& queued : batch) {
    const auto message = messages_.find(queued.message);
    if (message == messages_.end()) continue;
    const int key = submit_(message->second.parts[queued.part]);
    outstanding_[key] = {queued, loop_.Now()};
  }
  Arm();
}

void SubmitWindow::Record(const Message& message, size_t part, MessageState state,
                          const std::string& ref, const std::string& detail) {
  context_.Ledger().Answered({message.member.message_id, message.indices[part]}, state, ref,
                             detail);
}

void SubmitWindow::Arm() {
  std::optional<TimePoint> due;
  auto consider = [&due](TimePoint at) {
    if (!due || at < *due) due = at;
  };
  for (const auto& [key, part] : outstanding_) {
    consider(part.sent + std::chrono::milliseconds(timing_.answer_ms));
  }
  for (const auto& [key, message] : messages_) {
    if (message.receipts) consider(message.receipt_deadline);
  }
  if (open_ && !queue_.empty() && resume_at_ > loop_.Now()) consider(resume_at_);
  if (!due) {
    timer_->Stop();
    return;
  }
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - loop_.Now()).count();
  timer_->SetInterval(static_cast<int>(std::max<long long>(0, wait)));
  timer_->Start();
}

void SubmitWindow::Answered(int key, const PartAnswer& answer) {
  const auto found = outstanding_.find(key);
  if (found == outstanding_.end()) return;
  const QueuedPart queued = found->second.queued;
  const TimePoint sent = found->second.sent;
  outstanding_.erase(found);
  const auto message = messages_.find(queued.message);
  if (message == messages_.end()) {
    Pump();
    return;
  }
  switch (answer.kind) {
    case PartAnswer::Kind::kAccepted:
      limit_ = std::min(size_, limit_ + 1);
      backoff_ms_ = timing_.first_backoff_ms;
      Accept(queued.message, message->second, queued.part, answer.id);
      break;
    case PartAnswer::Kind::kRetry:
      if (queued.retries == timing_.retries) {
        Record(message->second, queued.part, MessageState::kRefused, "", answer.text);
        End(queued.message, Label(message->second, queued.part) + answer.text, false);
        break;
      }
      Throttled(queued, sent);
      break;
    case PartAnswer::Kind::kRefused:
      Record(message->second, queued.part, MessageState::kRefused, "", answer.text);
      End(queued.message, Label(message->second, queued.part) + answer.text, false);
      break;
  }
  Pump();
}

void SubmitWindow::Throttled(const QueuedPart& part, TimePoint sent) {
  // The far end refused it, so sending it again is no duplicate.
  QueuedPart again = part;
  ++again.retries;
  Requeue(again);
  if (sent <= throttled_at_) return;
  const TimePoint now = loop_.Now();
  throttled_at_ = now;
  limit_ = std::max(1, limit_ / 2);
  resume_at_ = now + std::chrono::milliseconds(backoff_ms_);
  context_.SetStatusLine("The far end asks to slow down: trying again in " +
                         std::to_string(backoff_ms_ / 1000) + " s...");
  backoff_ms_ = std::min(2 * backoff_ms_, timing_.longest_backoff_ms);
}

void SubmitWindow::Requeue(const QueuedPart& part) {
  const auto later = std::find_if(queue_.begin(), queue_.end(), [&part](const QueuedPart& other) {
    return std::pair(other.message, other.part) > std::pair(part.message, part.part);
  });
  queue_.insert(later, part);
}

void SubmitWindow::Accept(int key, Message& message, size_t part, const std::string& id) {
  message.ids[part] = id;
  Record(message, part, MessageState::kAccepted, id, "");
  if (++message.answered < message.parts.size()) return;
  if (!message.wants_receipts) {
    End(key, kReceiptSent, true);
    return;
  }
  for (const std::string& part_id : message.ids) receipt_ids_[part_id] = key;
  message.receipts.emplace(message.ids);
  message.receipt_deadline = loop_.Now() + std::chrono::milliseconds(timing_.receipt_ms);
  // Those that came early, in the order they came.
  const auto early =
      std::stable_partition(held_.begin(), held_.end(), [&](const HeldReceipt& held) {
        return std::find(message.ids.begin(), message.ids.end(), held.id) == message.ids.end();
      });
  const std::vector<HeldReceipt> taken(std::make_move_iterator(early),
                                       std::make_move_iterator(held_.end()));
  held_.erase(early, held_.end());
  for (const HeldReceipt& held : taken) {
    if (!messages_.contains(key)) break;
    Receipt(held.id, held.outcome, held.reason);
  }
}

void SubmitWindow::Receipt(const std::string& id, DeliveryOutcome outcome,
                           const std::string& reason) {
  const auto found = receipt_ids_.find(id);
  if (found == receipt_ids_.end()) {
    // One for a message this window does not hold (sent before a restart,
    // or given up waiting) is the store's.
    const bool held_message = std::any_of(messages_.begin(), messages_.end(), [&id](const auto& m) {
      return std::find(m.second.ids.begin(), m.second.ids.end(), id) != m.second.ids.end();
    });
    if (const auto state = ReceiptState(outcome, reason);
        !held_message && state && context_.Ledger().LateReceipt(id, *state, reason)) {
      return;
    }
    held_.push_back({id, outcome, reason});
    if (held_.size() > kHeldReceipts) held_.pop_front();
    return;
  }
  const int key = found->second;
  const auto message = messages_.find(key);
  if (message == messages_.end() || !message->second.receipts) return;
  PartReceipts& receipts = *message->second.receipts;
  receipts.Note(context_, id, outcome, reason);
  if (const auto state = ReceiptState(outcome, reason)) {
    const auto& ids = message->second.ids;
    const auto part = std::find(ids.begin(), ids.end(), id) - ids.begin();
    Record(message->second, static_cast<size_t>(part), *state, id, reason);
  }
  if (receipts.Final()) End(key, receipts.ReceiptText(), true);
}

void SubmitWindow::Broken(bool resend, const std::string& unanswered) {
  open_ = false;
  for (const auto& [key, part] : std::exchange(outstanding_, {})) {
    if (!messages_.contains(part.queued.message)) continue;
    if (resend) {
      Requeue(part.queued);
    } else {
      Record(messages_.at(part.queued.message), part.queued.part, MessageState::kUnknown, "",
             unanswered);
      End(part.queued.message, unanswered, false);
    }
  }
}

void SubmitWindow::EndAll(const std::string& unsent, const std::string& unreported) {
  while (!messages_.empty()) {
    const auto& [key, message] = *messages_.begin();
    const bool accepted = message.receipts.has_value();
    End(key, accepted ? unreported : unsent, accepted);
  }
}

std::vector<EndedMessage> SubmitWindow::TakeEnded() { return std::exchange(ended_, {}); }

void SubmitWindow::OnTimer() {
  const TimePoint now = loop_.Now();
  std::vector<int> lost;
  const std::string no_answer = kNoAnswer + std::to_string(timing_.answer_ms / 1000) + " seconds";
  for (auto it = outstanding_.begin(); it != outstanding_.end();) {
    if (it->second.sent + std::chrono::milliseconds(timing_.answer_ms) <= now) {
      const QueuedPart& part = it->second.queued;
      if (const auto message = messages_.find(part.message); message != messages_.end()) {
        Record(message->second, part.part, MessageState::kUnknown, "", no_answer);
      }
      lost.push_back(part.message);
      it = outstanding_.erase(it);
    } else {
      ++it;
    }
  }
  for (int message : lost) {
    if (messages_.contains(message)) {
      End(message, no_answer, false);
    }
  }
  std::vector<int> overdue;
  for (const auto& [key, message] : messages_) {
    if (message.receipts && message.receipt_deadline <= now) overdue.push_back(key);
  }
  for (int message : overdue) End(message, kReceiptNoReport, true);
  // A part of a message that ended early (another part refused) still holds
  // its place in the window until its answer or its deadline.
  Pump();
}

void SubmitWindow::End(int key, const std::string& receipt, bool accepted) {
  const auto message = messages_.find(key);
  if (message == messages_.end()) return;
  for (const std::string& id : message->second.ids) receipt_ids_.erase(id);
  std::erase_if(queue_, [key](const QueuedPart& part) { return part.message == key; });
  ended_.push_back({std::move(message->second.member), receipt, accepted});
  messages_.erase(message);
}

std::string SubmitWindow::Label(const Message& message, size_t part) const {
  if (message.parts.size() < 2) return {};
  return "Part " + std::to_string(part + 1) + " of " + std::to_string(message.parts.size()) + ": ";
}

}  // namespace tolvane
