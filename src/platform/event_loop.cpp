#include "platform/event_loop.h"

namespace tolvane {
namespace {

// The program has one thread.
int wait_depth = 0;

}  // namespace

void WaitUntil(EventLoop& loop, const std::function<bool()>& done) {
  ++wait_depth;
  struct Leave {
    ~Leave() { --wait_depth; }
  } leave;
  while (!done()) loop.ProcessEvents();
}

int WaitDepth() { return wait_depth; }

void WaitFor(EventLoop& loop, int milliseconds, const std::function<bool()>& abort) {
  // A timer guarantees that an event arrives when the time is up, so a loop
  // that blocks in ProcessEvents() wakes up in time.
  bool expired = false;
  std::unique_ptr<Timer> timer = loop.CreateTimer();
  timer->SetSingleShot(true);
  timer->SetInterval(milliseconds);
  timer->SetCallback([&expired] { expired = true; });
  timer->Start();
  WaitUntil(loop, [&] { return expired || (abort && abort()); });
  timer->Stop();
}

}  // namespace tolvane
