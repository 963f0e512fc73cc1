#include "core/redial_countdown.h"

#include <string>

namespace tolvane {
namespace {

constexpr int kRedialTicks = 16;

}  // namespace

RedialCountdown::RedialCountdown(SendContext& context)
    : context_(context), timer_(context.Loop().CreateTimer()) {
  timer_->SetInterval(1000);
  timer_->SetCallback([this] {
    SendState& state = context_.State();
    ++state.redial_ticks;
    context_.SetStatusLine("Dialing again in " + std::to_string(kRedialTicks - state.redial_ticks) +
                           " seconds");
  });
}

void RedialCountdown::Wait() {
  SendState& state = context_.State();
  timer_->Start();
  WaitUntil(context_.Loop(),
            [&state] { return state.cancelled || state.redial_ticks >= kRedialTicks; });
  Stop();
  context_.SetReceiptLine("");
}

void RedialCountdown::Stop() {
  timer_->Stop();
  context_.State().redial_ticks = 0;
}

}  // namespace tolvane
