#include "api/api_run_queue.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "platform/store_error.h"

namespace tolvane {
namespace {

// How often a run waiting for its time, or for the program to be idle, is
// looked at again.
constexpr int kPollMs = 1000;

}  // namespace

ApiRunQueue::ApiRunQueue(GroupHost& window, Dialogs& dialogs)
    : window_(window), host_(window), groups_(host_, dialogs), timer_(window.Loop().CreateTimer()) {
  timer_->SetSingleShot(true);
  timer_->SetCallback([this] { SendDue(); });
}

ApiRunQueue::~ApiRunQueue() = default;

void ApiRunQueue::Add(std::int64_t run, std::optional<TimePoint> at) {
  waiting_[run] = at.value_or(TimePoint{});
  timer_->SetInterval(0);
  timer_->Start();
}

bool ApiRunQueue::Withdraw(std::int64_t run) { return waiting_.erase(run) > 0; }

void ApiRunQueue::SendDue() {
  if (waiting_.empty()) return;
  const TimePoint now = window_.Loop().Now();
  const auto due = std::find_if(waiting_.begin(), waiting_.end(),
                                [now](const auto& entry) { return entry.second <= now; });
  const bool idle = !sending_ && WaitDepth() == 0 && !window_.State().sending &&
                    !window_.MailCheckRunning() && !window_.AutosendInProgress();
  if (due == waiting_.end() || !idle) {
    // The earliest run wakes the queue at its time.
    auto first = std::chrono::milliseconds(kPollMs);
    for (const auto& [run, at] : waiting_) {
      first = std::min(first, std::chrono::ceil<std::chrono::milliseconds>(at - now));
    }
    timer_->SetInterval(idle ? static_cast<int>(first.count()) : kPollMs);
    timer_->Start();
    return;
  }
  const std::int64_t run_id = due->first;
  waiting_.erase(due);
  MessageStore* store = window_.Messages().Store();
  std::optional<StoredRun> run;
  std::vector<StoredMessage> messages;
  try {
    if (store != nullptr) run = store->Run(run_id);
    if (run) messages = store->RunMessages(run_id);
  } catch (const StoreError&) {
    run.reset();
  }
  if (run && !run->ended && !messages.empty()) {
    std::vector<RunRecipient> members;
    for (const StoredMessage& message : messages) {
      members.push_back({message.name, message.number_typed, "", message.id, message.text});
    }
    // The run goes now; the window's own choice of a delivery time is not
    // the run's.
    SendState& state = window_.State();
    const bool deferred = std::exchange(state.deferred, false);
    sending_ = true;
    host_.SetText(messages.front().text);
    groups_.ResumeRun(*run, members, {});
    sending_ = false;
    state.deferred = deferred;
  }
  if (!waiting_.empty()) {
    timer_->SetInterval(0);
    timer_->Start();
  }
}

}  // namespace tolvane
