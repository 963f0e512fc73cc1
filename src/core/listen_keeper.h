#ifndef TOLVANE_CORE_LISTEN_KEEPER_H_
#define TOLVANE_CORE_LISTEN_KEEPER_H_

#include <functional>
#include <memory>
#include <string>

#include "core/transport.h"
#include "platform/event_loop.h"

namespace tolvane {

// Keeps the receiving session of a transport while the program runs. A
// session that cannot be opened or breaks is opened again after a pause of
// 1 s, doubled after each failed attempt up to 5 min; the state is shown as
// "Receiving: connected" or "Receiving: reconnecting in 40 s", never as a
// message box. No attempt is made while a send is under way: the send opens
// the session itself when it needs one.
class ListenKeeper {
 public:
  static constexpr int kFirstPauseSeconds = 1;
  static constexpr int kLongestPauseSeconds = 300;

  ListenKeeper(EventLoop& loop, std::function<void(const std::string&)> show_status,
               std::function<bool()> sending);
  ~ListenKeeper();
  ListenKeeper(const ListenKeeper&) = delete;
  ListenKeeper& operator=(const ListenKeeper&) = delete;

  // Keeps `transport`'s session from now on; nullptr (or a transport that
  // cannot receive) stops keeping one and closes a session held.
  void Keep(Transport* transport);
  // Whether a session is kept, and whether it is open now.
  bool Keeping() const { return transport_ != nullptr; }
  bool Connected() const { return connected_; }
  // The pause before the next attempt, in seconds; 0 while connected.
  int PauseSeconds() const { return pause_seconds_; }

 private:
  void Tick();
  void Attempt();
  void Show(const std::string& text);

  EventLoop& loop_;
  std::function<void(const std::string&)> show_status_;
  std::function<bool()> sending_;
  std::unique_ptr<Timer> timer_;
  Transport* transport_ = nullptr;
  // Seconds left before the next attempt, and the pause that led to them.
  int wait_seconds_ = 0;
  int pause_seconds_ = 0;
  bool connected_ = false;
  // Listen runs a wait that processes events: no second attempt meanwhile.
  bool attempting_ = false;
  std::string shown_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_LISTEN_KEEPER_H_
