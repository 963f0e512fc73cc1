#ifndef TOLVANE_TESTS_SUPPORT_FAKE_SEND_CONTEXT_H_
#define TOLVANE_TESTS_SUPPORT_FAKE_SEND_CONTEXT_H_

#include <memory>
#include <string>
#include <vector>

#include "core/send_context.h"
#include "sim/sim_event_loop.h"

namespace tolvane::testing {

// A main window reduced to what a transport sees: lines and message box that
// remember their history, the 2-second receipt watchdog with its time-out, and
// an EndSend that records one log entry per attempted end.
class FakeSendContext : public SendContext {
 public:
  struct LogEntry {
    std::string message;
    std::string result;
  };

  explicit FakeSendContext(sim::SimEventLoop& loop);

  SendState& State() override { return state; }
  const ProgramSettings& Settings() const override { return settings; }
  EventLoop& Loop() override { return loop_; }
  void SetStatusLine(const std::string& text) override;
  void SetReceiptLine(const std::string& text) override;
  const std::string& ReceiptLine() const override { return receipt_line; }
  void SetReceiptCaption(const std::string& text) override { receipt_caption = text; }
  const std::string& MessageText() const override { return message_box; }
  void SetMessageText(const std::string& text) override;
  bool UsePrefix2() const override { return false; }
  void Beep() override { ++beeps; }
  void StartReceiptTimer() override { receipt_timer_->Start(); }
  void StopReceiptTimer() override { receipt_timer_->Stop(); }
  void EndSend() override;

  // What StartSend resets before a send.
  void BeginSend(const std::string& text, const std::string& number, const std::string& name);
  bool ReceiptTimerRunning() const { return receipt_timer_->IsActive(); }

  ProgramSettings settings;
  SendState state;
  std::string status_line;
  std::vector<std::string> status_history;
  std::string receipt_line;
  std::vector<std::string> receipt_history;
  std::string receipt_caption;
  std::string message_box;
  std::vector<std::string> message_box_history;
  std::vector<LogEntry> log;
  int beeps = 0;
  int end_sends = 0;

 private:
  void ReceiptTick();

  sim::SimEventLoop& loop_;
  std::unique_ptr<Timer> receipt_timer_;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_FAKE_SEND_CONTEXT_H_
