#include "core/listen_keeper.h"

#include <algorithm>
#include <utility>

namespace tolvane {

namespace {
constexpr char kConnected[] = "Receiving: connected";
}

ListenKeeper::ListenKeeper(EventLoop& loop, std::function<void(const std::string&)> show_status,
                           std::function<bool()> sending)
    : loop_(loop),
      show_status_(std::move(show_status)),
      sending_(std::move(sending)),
      timer_(loop.CreateTimer()) {
  timer_->SetInterval(1000);
  timer_->SetCallback([this] { Tick(); });
}

ListenKeeper::~ListenKeeper() { Keep(nullptr); }

void ListenKeeper::Keep(Transport* transport) {
  if (transport != nullptr && !transport->CanReceive()) transport = nullptr;
  if (transport_ != nullptr && transport_ != transport) transport_->StopListening();
  transport_ = transport;
  connected_ = false;
  pause_seconds_ = 0;
  wait_seconds_ = 0;
  if (transport_ == nullptr) {
    timer_->Stop();
    Show("");
    return;
  }
  timer_->Start();
  Attempt();
}

void ListenKeeper::Tick() {
  if (transport_ == nullptr || attempting_) return;
  if (connected_) {
    if (transport_->Listening()) return;
    // Broken: the first pause is the shortest again.
    connected_ = false;
    pause_seconds_ = kFirstPauseSeconds;
    wait_seconds_ = pause_seconds_;
    Show("Receiving: reconnecting in " + std::to_string(wait_seconds_) + " s");
    return;
  }
  if (--wait_seconds_ > 0) {
    Show("Receiving: reconnecting in " + std::to_string(wait_seconds_) + " s");
    return;
  }
  Attempt();
}

void ListenKeeper::Attempt() {
  // A send holds the transport; its own session serves receiving meanwhile.
  if (sending_()) {
    wait_seconds_ = 1;
    return;
  }
  if (transport_->Listening()) {
    connected_ = true;
    pause_seconds_ = 0;
    Show(kConnected);
    return;
  }
  attempting_ = true;
  Transport* const transport = transport_;
  const std::string failure = transport->Listen();
  attempting_ = false;
  // The settings may have changed the transport during the attempt.
  if (transport_ != transport) return;
  if (failure.empty()) {
    connected_ = true;
    pause_seconds_ = 0;
    Show(kConnected);
    return;
  }
  pause_seconds_ =
      pause_seconds_ == 0 ? kFirstPauseSeconds : std::min(pause_seconds_ * 2, kLongestPauseSeconds);
  wait_seconds_ = pause_seconds_;
  Show("Receiving: reconnecting in " + std::to_string(wait_seconds_) + " s");
}

void ListenKeeper::Show(const std::string& text) {
  if (text == shown_) return;
  shown_ = text;
  show_status_(text);
}

}  // namespace tolvane
