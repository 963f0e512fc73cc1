#include "sim/sim_mail_client.h"

#include "platform/mail_errors.h"

namespace tolvane::sim {

SimMailClient::SimMailClient(SimEventLoop& loop, SimMailbox& mailbox)
    : loop_(loop), mailbox_(mailbox) {}

SimMailClient::~SimMailClient() { Drop(); }

void SimMailClient::Answer(std::function<void()> action) {
  busy_ = true;
  std::weak_ptr<int> generation = generation_;
  int expected = *generation_;
  loop_.After(SimEventLoop::Millis(mailbox_.answer_delay_ms),
              [this, generation, expected, action = std::move(action)] {
                auto alive = generation.lock();
                if (!alive || *alive != expected) return;
                busy_ = false;
                action();
              });
}

int SimMailClient::Connect() {
  if (server_.empty()) return kMailErrorInvalidArgument;
  if (connected_) return kMailErrorAlreadyConnected;
  if (busy_) return kMailErrorBusy;
  ++connects_;
  if (mailbox_.silent) {
    busy_ = true;
    return 0;
  }
  Answer([this] {
    if (!mailbox_.login_error.empty()) {
      if (on_error_) on_error_(mailbox_.login_error);
      return;
    }
    connected_ = true;
    count_ = static_cast<int>(mailbox_.messages.size());
    if (on_complete_) on_complete_();
  });
  return 0;
}

int SimMailClient::Retrieve(int number) {
  if (!connected_) return kMailErrorNotConnected;
  if (busy_) return kMailErrorBusy;
  retrieved_.push_back(number);
  if (number == mailbox_.silent_message) {
    busy_ = true;
    return 0;
  }
  Answer([this, number] {
    text_ = number >= 1 && number <= count_ ? mailbox_.messages[number - 1] : "";
    if (on_complete_) on_complete_();
  });
  return 0;
}

int SimMailClient::Disconnect() {
  Drop();
  ++disconnects_;
  Answer([this] {
    connected_ = false;
    if (on_complete_) on_complete_();
  });
  return 0;
}

void SimMailClient::Abort() {
  Drop();
  ++aborts_;
  busy_ = false;
  connected_ = false;
}

}  // namespace tolvane::sim
