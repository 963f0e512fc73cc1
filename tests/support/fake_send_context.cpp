#include "support/fake_send_context.h"

namespace tolvane::testing {

FakeSendContext::FakeSendContext(sim::SimEventLoop& loop)
    : loop_(loop), receipt_timer_(loop.CreateTimer()) {
  receipt_timer_->SetInterval(2000);
  receipt_timer_->SetCallback([this] { ReceiptTick(); });
}

void FakeSendContext::SetStatusLine(const std::string& text) {
  status_line = text;
  status_history.push_back(text);
}

void FakeSendContext::SetReceiptLine(const std::string& text) {
  receipt_line = text;
  receipt_history.push_back(text);
}

void FakeSendContext::SetMessageText(const std::string& text) {
  message_box = text;
  message_box_history.push_back(text);
}

void FakeSendContext::ReceiptTick() {
  ++state.receipt_ticks;
  if (state.receipt_ticks > 40) {
    SetReceiptLine("The operator didn\xB4t send a receipt.");
    state.keep_line = false;
    state.finished = true;
  }
}

void FakeSendContext::EndSend() {
  ++end_sends;
  receipt_timer_->Stop();
  if (!state.keep_line) {
    state.sending = false;
    SetStatusLine("");
  }
  if (state.attempted) log.push_back({state.message, receipt_line});
  state.ended = true;
}

void FakeSendContext::BeginSend(const std::string& text, const std::string& number,
                                const std::string& name) {
  state = SendState();
  state.sending = true;
  state.message = text;
  state.recipient_number = number;
  state.recipient_name = name;
  message_box = text;
}

}  // namespace tolvane::testing
