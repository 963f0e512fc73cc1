#include "sim/sim_dialler.h"

namespace tolvane::sim {

void SimDialler::At(int step, std::function<void()> action) {
  std::weak_ptr<int> generation = generation_;
  int expected = *generation_;
  loop_.After(SimEventLoop::Millis(step * kStepMs),
              [generation, expected, action = std::move(action)] {
                auto alive = generation.lock();
                if (alive && *alive == expected) action();
              });
}

void SimDialler::Dial() {
  ++*generation_;
  dials_.push_back(loop_.Elapsed().count());
  Outcome outcome = Outcome::kConnect;
  if (!outcomes_.empty()) {
    outcome = outcomes_.front();
    outcomes_.pop_front();
  }
  auto state = [this](int value) {
    return [this, value] {
      if (value == kStateConnected) connected_ = true;
      if (on_state_) on_state_(value);
    };
  };
  auto error = [this](int number, std::string text) {
    return [this, number, text] {
      if (on_error_) on_error_(number, text);
    };
  };
  switch (outcome) {
    case Outcome::kConnect:
      At(1, state(kStateAuthenticate));
      At(2, state(kStateAuthenticated));
      At(3, state(kStateConnected));
      break;
    case Outcome::kAuthenticateOnly:
      At(1, state(kStateAuthenticate));
      At(2, state(kStateAuthenticated));
      break;
    case Outcome::kBusy:
      At(1, error(kErrorBusy, "The line is busy."));
      break;
    case Outcome::kFail:
      At(1, state(kStateAuthenticate));
      At(2, error(kFailNumber, kFailText));
      break;
    case Outcome::kSilent:
      break;
  }
}

void SimDialler::Drop() {
  ++*generation_;
  connected_ = false;
  if (on_state_) on_state_(kStateDisconnected);
}

void SimDialler::HangUp() {
  ++*generation_;
  ++hang_ups_;
  connected_ = false;
}

}  // namespace tolvane::sim
