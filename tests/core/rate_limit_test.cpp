// `[Message] PerMinute` and `PerDay` on the gateway, each send answered at
// once: what goes at once, what waits until the exact time the status line
// names, across a restart and local midnight, and Cancel during the wait, on
// single sends and on a group run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "core/receipt_texts.h"
#include "platform/local_time.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using std::chrono::milliseconds;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

class RateLimitScenario : public GatewayScenario {
 protected:
  RateLimitScenario() {
    AskForReceipts(false);
    start_ = loop.Now();
    SendAs("Hej");
  }
  // Types `text` for the temporary number +46 70-123 45 67.
  void SendAs(const std::string& text, bool double_message = false) {
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("+46 70-123 45 67");
    window->OnDoubleToggled(double_message);
    TypeMessage(*window, text);
  }
  // Sends and returns the virtual time from the start at which it went.
  long long SendAt() {
    window->StartSend();
    return (loop.Now() - start_) / milliseconds(1);
  }
  // The status line of a wait until `from_start_ms` after the start.
  std::string Waiting(long long from_start_ms, const std::string& limit) const {
    return "Waiting until " + TimeOfDayText(start_ + milliseconds(from_start_ms)) + ": " + limit;
  }
  void Restart() {
    window.reset();
    Open(serial, client);
    window->ConfigureTransports();
  }

  TimePoint start_;
};

TEST_F(RateLimitScenario, TheMinuteSlidesAndTheLastAllowedGoesAtOnce) {
  // Zero, the default, is no limit.
  ASSERT_EQ(settings.PerDay, 0);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(SendAt(), 0);
  EXPECT_THAT(statuses.Texts(), Not(Contains(HasSubstr("Waiting until"))));
  loop.RunFor(std::chrono::minutes(1));
  start_ = loop.Now();
  settings.PerMinute = 3;
  const std::string limit = "at most 3 SMS a minute.";
  EXPECT_EQ(SendAt(), 0);
  loop.RunFor(milliseconds(10000));
  EXPECT_EQ(SendAt(), 10000);
  loop.RunFor(milliseconds(10000));
  EXPECT_EQ(SendAt(), 20000);
  // The fourth waits until the first has been gone a minute, the fifth for
  // the second.
  EXPECT_EQ(SendAt(), 60000);
  EXPECT_THAT(statuses.Texts(), Contains(Waiting(60000, limit)));
  EXPECT_EQ(SendAt(), 70000);
  EXPECT_THAT(statuses.Texts(), Contains(Waiting(70000, limit)));
  EXPECT_EQ(Receipt(), "Message delivered to recipients phone");
  EXPECT_EQ(gateway.Requests().size(), 45u);

  // A double message counts two parts; one of more parts than the limit goes
  // alone once the minute is empty, and the next waits a whole minute.
  settings.PerMinute = 1;
  SendAs(std::string(170, 'd'), true);
  EXPECT_EQ(SendAt(), 130000);
  EXPECT_EQ(gateway.Requests().size(), 47u);
  SendAs("Hej");
  EXPECT_EQ(SendAt(), 190000);
  EXPECT_THAT(statuses.Texts(), Contains(Waiting(190000, "at most 1 SMS a minute.")));
}

TEST_F(RateLimitScenario, TheDaysCountSurvivesARestartAndEndsAtLocalMidnight) {
  settings.PerDay = 2;
  settings.PerMinute = 2;
  loop.SetLimit(std::chrono::hours(72));
  const TimePoint evening = LocalTimeOfDay(loop.Now(), 23, 58, 30);
  loop.RunFor(std::chrono::duration_cast<milliseconds>(evening - loop.Now()));
  const long long at = (evening - start_) / milliseconds(1);
  EXPECT_EQ(SendAt(), at);
  EXPECT_EQ(SendAt(), at);
  Restart();
  SendAs("Hej");
  const TimePoint midnight = LocalTimeOfDay(evening + std::chrono::hours(1), 0, 0, 0);
  const long long midnight_ms = (midnight - start_) / milliseconds(1);
  // The day's limit holds past the minute's.
  EXPECT_EQ(SendAt(), midnight_ms);
  EXPECT_THAT(statuses.Texts(), Contains("Waiting until 00:00:00: at most 2 SMS a day."));
  EXPECT_EQ(SendAt(), midnight_ms);
  // The new day is full too: the next goes the day after.
  const TimePoint next = LocalTimeOfDay(midnight + std::chrono::hours(30), 0, 0, 0);
  EXPECT_EQ(SendAt(), (next - start_) / milliseconds(1));
  EXPECT_EQ(gateway.Requests().size(), 5u);
}

TEST_F(RateLimitScenario, CancelEndsTheWaitOfASingleSendAndOfAGroupRun) {
  settings.PerMinute = 2;
  SendAt();
  SendAt();
  At(5000, [&] { window->CancelSend(); });
  EXPECT_EQ(SendAt(), 5000);
  EXPECT_EQ(Receipt(), kReceiptCancelled);
  EXPECT_TRUE(Enabled(MainControl::kSend));
  EXPECT_FALSE(Enabled(MainControl::kCancel));
  EXPECT_EQ(gateway.Requests().size(), 2u);
  EXPECT_EQ(messages.Message(messages.MessageCount())->state, MessageState::kRefused);
  // Nothing went, so nothing is logged.
  EXPECT_EQ(LogLines().size(), 2u);

  // A run waits before each member as a single send does: the first two
  // minutes' members go as the minute frees.
  window->OnTemporaryNumberToggled(false);
  SendToThreeFriends("Hej");
  EXPECT_EQ(loop.Now() - start_, milliseconds(120000));
  EXPECT_EQ(gateway.Requests().size(), 5u);
  EXPECT_THAT(statuses.Texts(), Contains(Waiting(60000, "at most 2 SMS a minute.")));
  At(1000, [&] { window->CancelSend(); });
  window->Groups().SendToGroup();
  EXPECT_EQ(loop.Now() - start_, milliseconds(121000));
  EXPECT_EQ(gateway.Requests().size(), 6u);
  EXPECT_EQ(Receipt(), kReceiptCancelled);
  EXPECT_TRUE(Enabled(MainControl::kSendToGroup));
}

}  // namespace
}  // namespace tolvane::testing
