// What the scenarios cannot show of the simulated loop they run on.
#include "sim/sim_event_loop.h"

#include <gtest/gtest.h>

namespace tolvane::sim {
namespace {

using std::chrono::milliseconds;

TEST(SimEventLoopTest, AWaitForNothingFailsLoudlyAndADestroyedTimerNeverFires) {
  SimEventLoop loop;
  // A destroyed timer never fires.
  bool fired = false;
  {
    auto gone = loop.CreateTimer();
    gone->SetInterval(10);
    gone->SetCallback([&] { fired = true; });
    gone->Start();
  }
  loop.After(milliseconds(100), [] {});
  loop.ProcessEvents();
  EXPECT_FALSE(fired);

  EXPECT_THROW(WaitUntil(loop, [] { return false; }), SimulationStalled);
  auto timer = loop.CreateTimer();
  timer->SetInterval(1000);
  timer->Start();
  loop.SetLimit(milliseconds(10000));
  EXPECT_THROW(WaitUntil(loop, [] { return false; }), SimulationStalled);
}

}  // namespace
}  // namespace tolvane::sim
