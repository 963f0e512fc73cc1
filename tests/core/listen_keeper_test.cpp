#include "core/listen_keeper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/transport.h"
#include "sim/sim_event_loop.h"

namespace tolvane {
namespace {

using std::chrono::seconds;

// The receiving session kept over failures: the exact pauses between
// attempts, what the status bar says, and no attempt while a send runs.
class FlakyTransport : public Transport {
 public:
  void Configure(const std::function<void(int)>&) override {}
  bool SplitsLongMessages() const override { return true; }
  std::string RefusalOf(std::string_view) const override { return {}; }
  void PrepareForSend() override {}
  void SendSingle() override {}
  void SendDouble() override {}
  bool OpenRun() override { return true; }
  bool SendMember(int) override { return true; }
  void CloseRun(bool) override {}
  void Cancel() override {}
  void StopExchange() override {}
  bool ConnectionLost() const override { return false; }
  bool LineHeld() const override { return up; }
  void StopTimers() override {}
  void HangUp() override {}
  bool CanReceive() const override { return true; }
  std::string Listen() override {
    attempts.push_back(loop->Now());
    up = refusals-- <= 0;
    return up ? "" : "refused";
  }
  bool Listening() const override { return up; }
  void StopListening() override { up = false; }

  sim::SimEventLoop* loop = nullptr;
  int refusals = 0;
  bool up = false;
  std::vector<TimePoint> attempts;
};

class ListenKeeperTest : public ::testing::Test {
 protected:
  ListenKeeperTest() { transport.loop = &loop; }
  // Seconds from the start of each attempt.
  std::vector<long long> AttemptTimes() const {
    std::vector<long long> times;
    for (TimePoint at : transport.attempts) times.push_back((at - start) / seconds(1));
    return times;
  }

  sim::SimEventLoop loop;
  TimePoint start = loop.Now();
  FlakyTransport transport;
  bool sending = false;
  std::vector<std::string> shown;
  ListenKeeper keeper{loop, [this](const std::string& text) { shown.push_back(text); },
                      [this] { return sending; }};
};

TEST_F(ListenKeeperTest, PausesDoubleToFiveMinutesAndStartAgainAtOneSecondAfterASend) {
  transport.refusals = 11;
  keeper.Keep(&transport);
  loop.RunFor(seconds(1200));
  // 1, 2, 4 ... 256, then 300 twice.
  std::vector<long long> times{0, 1, 3, 7, 15, 31, 63, 127, 255, 511, 811, 1111};
  EXPECT_EQ(AttemptTimes(), times);
  EXPECT_EQ(shown.front(), "Receiving: reconnecting in 1 s");
  EXPECT_EQ(shown.back(), "Receiving: connected");
  EXPECT_NE(std::find(shown.begin(), shown.end(), "Receiving: reconnecting in 40 s"), shown.end());
  EXPECT_EQ(keeper.PauseSeconds(), 0);

  // Broken while a send runs: no attempt until it ends, then 1 s again.
  transport.up = false;
  transport.refusals = 1;
  sending = true;
  loop.RunFor(seconds(5));
  EXPECT_EQ(AttemptTimes(), times);
  sending = false;
  loop.RunFor(seconds(10));
  times.insert(times.end(), {1206, 1208});
  EXPECT_EQ(AttemptTimes(), times);
  EXPECT_EQ(shown.back(), "Receiving: connected");

  keeper.Keep(nullptr);
  EXPECT_FALSE(transport.up);
  EXPECT_EQ(shown.back(), "");
  loop.RunFor(seconds(60));
  EXPECT_EQ(AttemptTimes(), times);
}

}  // namespace
}  // namespace tolvane
