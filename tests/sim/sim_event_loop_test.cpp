#include "sim/sim_event_loop.h"

#include <gtest/gtest.h>

namespace tolvane::sim {
namespace {

using std::chrono::milliseconds;

TEST(SimEventLoopTest, WaitsTakeVirtualTime) {
  SimEventLoop loop;
  bool fired = false;
  auto timer = loop.CreateTimer();
  timer->SetSingleShot(true);
  timer->SetInterval(82000);
  timer->SetCallback([&] { fired = true; });
  timer->Start();
  WaitUntil(loop, [&] { return fired; });
  EXPECT_EQ(loop.Elapsed(), milliseconds(82000));
  EXPECT_FALSE(timer->IsActive());
}

TEST(SimEventLoopTest, PeriodicTimerTicksUntilStopped) {
  SimEventLoop loop;
  int ticks = 0;
  auto timer = loop.CreateTimer();
  timer->SetInterval(2000);
  timer->SetCallback([&] {
    if (++ticks == 3) timer->Stop();
  });
  timer->Start();
  loop.RunFor(milliseconds(60000));
  EXPECT_EQ(ticks, 3);
}

TEST(SimEventLoopTest, ScheduledActionsRunInOrderAndWaitForCanBeAborted) {
  SimEventLoop loop;
  std::string order;
  loop.At(milliseconds(5000), [&] { order += "cancel "; });
  loop.After(milliseconds(1000), [&] { order += "first "; });
  WaitFor(loop, 16000, [&] { return order.find("cancel") != std::string::npos; });
  EXPECT_EQ(order, "first cancel ");
  EXPECT_EQ(loop.Elapsed(), milliseconds(5000));
}

TEST(SimEventLoopTest, WaitWithNothingScheduledFailsLoudly) {
  SimEventLoop loop;
  EXPECT_THROW(WaitUntil(loop, [] { return false; }), SimulationStalled);
  auto timer = loop.CreateTimer();
  timer->SetInterval(1000);
  timer->Start();
  loop.SetLimit(milliseconds(10000));
  EXPECT_THROW(WaitUntil(loop, [] { return false; }), SimulationStalled);
}

TEST(SimEventLoopTest, DestroyedTimerNeverFires) {
  SimEventLoop loop;
  bool fired = false;
  {
    auto timer = loop.CreateTimer();
    timer->SetInterval(10);
    timer->SetCallback([&] { fired = true; });
    timer->Start();
  }
  loop.After(milliseconds(100), [] {});
  loop.ProcessEvents();
  EXPECT_FALSE(fired);
}

}  // namespace
}  // namespace tolvane::sim
