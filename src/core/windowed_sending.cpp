#include "core/windowed_sending.h"

#include <algorithm>
#include <utility>

#include "core/part_receipts.h"
#include "core/receipt_texts.h"

namespace tolvane {
namespace {

constexpr int kFirstReconnectMs = 1000;
constexpr int kLongestReconnectMs = 60000;
// 1, 2, 4, ... 60 seconds: about three minutes without the far end.
constexpr int kReconnectTries = 8;

}  // namespace

WindowedSending::WindowedSending(SendContext& context, Session& session)
    : context_(context), session_(session) {}

bool WindowedSending::Stopped() const {
  const SendState& state = context_.State();
  return state.cancelled || state.finished;
}

void WindowedSending::OpenWindow(bool run) {
  run_ = run;
  single_.reset();
  window_ = session_.MakeWindow();
}

void WindowedSending::Add(Prepared prepared) {
  const SendState& state = context_.State();
  context_.SetReceiptLine("");
  context_.SetReceiptCaption("Receipt for sending to: " + state.recipient_name);
  const size_t count = prepared.parts.size();
  context_.SetStatusLine(count > 1 ? "Sending " + std::to_string(count) + " parts..."
                                   : "Sending message...");
  window_->Add({state.recipient_name, state.recipient_number, state.message, state.message_id},
               std::move(prepared.parts), prepared.wants_receipts, std::move(prepared.indices));
}

void WindowedSending::HandOn() {
  for (EndedMessage& ended : window_->TakeEnded()) {
    if (run_) {
      context_.EndMember(ended);
    } else {
      single_ = std::move(ended);
    }
  }
}

bool WindowedSending::Drive(const std::function<bool()>& done) {
  for (;;) {
    WaitUntil(context_.Loop(), [&] {
      return window_->HasEnded() || done() || !session_.Broken().empty() || Stopped();
    });
    HandOn();
    if (Stopped()) {
      // What the far end took whole keeps its outcome: nobody sends it again.
      window_->EndAll(kReceiptCancelled, run_ ? kReceiptSent : kReceiptWaitCancelled);
      HandOn();
      context_.SetReceiptLine(single_ ? single_->receipt : kReceiptCancelled);
      return false;
    }
    if (!session_.Broken().empty()) {
      window_->Broken(session_.ResendUnanswered(), session_.UnansweredText());
      HandOn();
      session_.Close();
      if (!done() && !Reconnect()) {
        // A cancel while reconnecting ends the messages as any cancel does.
        if (Stopped()) continue;
        // Why the last try failed, as its receipt line says.
        window_->EndAll("Not sent: " + context_.ReceiptLine(), kReceiptNoReport);
        HandOn();
        return false;
      }
    }
    if (done()) return true;
  }
}

bool WindowedSending::Reconnect() {
  int pause_ms = kFirstReconnectMs;
  for (int attempt = 0; attempt < kReconnectTries && !session_.LoginRefused(); ++attempt) {
    context_.SetStatusLine("The connection to " + session_.FarEnd() +
                           " broke: connecting again in " + std::to_string(pause_ms / 1000) +
                           " s...");
    WaitFor(context_.Loop(), pause_ms, [this] { return Stopped(); });
    if (Stopped()) return false;
    if (session_.Start()) return true;
    pause_ms = std::min(2 * pause_ms, kLongestReconnectMs);
  }
  return false;
}

void WindowedSending::SendSingle() {
  std::optional<Prepared> prepared = session_.Prepare();
  if (!prepared) return;
  OpenWindow(false);
  if (!session_.Start()) return;
  Add(std::move(*prepared));
  // A message that ended early leaves nothing to wait for, whatever is
  // still outstanding.
  if (Drive([this] {
        return window_->Idle() || (!window_->Queued() && window_->Outstanding() == 0);
      }) &&
      !window_->Idle()) {
    context_.SetStatusLine("Waiting for receipt...");
    Drive([this] { return window_->Idle(); });
  }
  if (!single_) return;
  context_.State().accepted = single_->accepted;
  // A cancelled send is ended by its closing step.
  if (!Stopped()) FinishSend(context_, single_->receipt);
}

bool WindowedSending::OpenRun() {
  SendState& state = context_.State();
  state.keep_line = true;
  OpenWindow(true);
  if (!session_.Start()) {
    state.keep_line = false;
    context_.EndSend();
    return false;
  }
  return true;
}

bool WindowedSending::SendMember() {
  SendState& state = context_.State();
  // The run's end hangs up, once every member has ended.
  state.keep_line = true;
  state.accepted = false;
  state.attempted = true;
  if (Stopped()) return false;
  std::optional<Prepared> prepared = session_.Prepare();
  // A member refused before sending lets the run go on.
  if (!prepared) return true;
  Add(std::move(*prepared));
  // Back as soon as its parts are on their way: the next member may follow.
  return Drive([this] { return !window_->Queued(); });
}

void WindowedSending::CloseRun(bool interrupted) {
  SendState& state = context_.State();
  if (!interrupted && window_) {
    context_.SetStatusLine("Waiting for the last answers and receipts...");
    Drive([this] { return window_->Idle(); });
  }
  // Every member was logged as it ended.
  state.ended = true;
  state.keep_line = false;
  context_.EndSend();
}

}  // namespace tolvane
