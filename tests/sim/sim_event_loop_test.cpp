// What the scenarios cannot show of the simulated loop they run on, and the
// request parser of the gateway simulator.
#include "sim/sim_event_loop.h"

#include <gtest/gtest.h>

#include "sim/http_request_parser.h"

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

TEST(HttpRequestParserTest, CollectsARequestArrivingInPieces) {
  HttpRequestParser parser;
  parser.Feed("POST http://gw.example:8080/a/b?x=1 HTTP/1.1\r\nHost: gw\r\nContent-Le");
  parser.Feed("ngth: 7\r\n\r\nabc");
  EXPECT_FALSE(parser.Complete());
  parser.Feed("defg");
  ASSERT_TRUE(parser.Complete());
  EXPECT_EQ(parser.Request().Path(), "/a/b");
  EXPECT_EQ(parser.Request().Query(), "x=1");
  EXPECT_EQ(parser.Request().body, "abcdefg");

  HttpRequestParser broken;
  broken.Feed("nonsense\r\n\r\n");
  EXPECT_TRUE(broken.Failed());
}

}  // namespace
}  // namespace tolvane::sim
