// Delayed sending: the "Time to send..." dialog, the main window's options
// and what a deferred message looks like on the modem line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bulk/time_to_send_dialog.h"
#include "platform/local_time.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Today (of the simulated clock) at hh:mm:ss local time.
TimePoint LocalToday(int hour, int minute, int second) {
  return LocalTimeOfDay(sim::SimEventLoop::DefaultStart(), hour, minute, second);
}

std::string Day(TimePoint time) { return LocalTimeText(time, "%d%m%y"); }

TEST(TimeToSendDialogTest, StepsPagesAndTheEndsOfTheBar) {
  const TimePoint opened = LocalToday(14, 30, 0);
  std::string shown, delivery;
  TimeToSendDialog dialog(opened, [&](const std::string& label, const std::string& time) {
    shown = label;
    delivery = time;
  });
  EXPECT_EQ(dialog.Label(), ShortDateText(opened) + "  14:30");
  EXPECT_EQ(dialog.DeliveryTime(), Day(opened) + "1430");
  // A page is an hour and about three seconds.
  dialog.SetPosition(TimeToSendDialog::kLargeChange);
  EXPECT_EQ(dialog.DeliveryTime(), Day(opened) + "1530");
  dialog.SetPosition(TimeToSendDialog::kLargeChange * 24);  // 86 469 s: a day and 69 s
  EXPECT_EQ(dialog.DeliveryTime(), Day(opened + std::chrono::hours(24)) + "1431");
  // The last step lies just under seven days ahead.
  dialog.SetPosition(20000);
  EXPECT_EQ(dialog.Position(), 10068);
  EXPECT_LT(TimeToSendDialog::kMaxPosition * TimeToSendDialog::kStep, std::chrono::days(7));
  dialog.SetPosition(-5);
  EXPECT_EQ(dialog.DeliveryTime(), Day(opened) + "1430");

  dialog.SetPosition(90);  // 5404.32 seconds
  dialog.Ok();
  EXPECT_EQ(shown, ShortDateText(opened) + "  16:00");
  EXPECT_EQ(delivery, Day(opened) + "1600");

  // Confirmed unmoved, it gives the minute it shows.
  TimeToSendDialog unmoved(LocalToday(9, 5, 59),
                           [&](const std::string&, const std::string& time) { delivery = time; });
  unmoved.Ok();
  EXPECT_EQ(delivery, Day(opened) + "0905");
}

class DelayedModemSendTest : public ModemScenario {};

TEST_F(DelayedModemSendTest, DeferredFrameIsAcknowledgedWithoutANotificationUntilNone) {
  EXPECT_TRUE(window->Control(MainControl::kDelayNone).checked);
  EXPECT_CALL(host, OpenTimeToSend()).WillOnce([this] {
    EXPECT_TRUE(window->Control(MainControl::kDelayTo).checked);
    EXPECT_FALSE(window->State().deferred) << "until the dialog's OK";
    window->SetDeliveryTime("2026-12-06  16:00", "0612261600");
  });
  window->OnDelayTo();
  EXPECT_TRUE(window->Control(MainControl::kDelayTo).checked);
  EXPECT_EQ(Text(MainControl::kDelayTo), "&To: 2026-12-06  16:00");

  window->StartSend();
  ASSERT_EQ(smsc.Submits().size(), 1u);
  // LEN = 2 x 5 + 38 + 11 + 11 digits.
  const std::string fields = "00/00070/O/30/46701234567/46707654321//1///1/0612261600//48656C6C6F/";
  EXPECT_EQ(smsc.Submits()[0].substr(0, fields.size()), fields);
  EXPECT_EQ(smsc.Submits()[0].size(), 70u);
  EXPECT_THAT(smsc.Problems(), IsEmpty());
  EXPECT_EQ(Receipt(), "Message sent.");
  EXPECT_THAT(smsc.Acknowledgements(), IsEmpty());
  EXPECT_FALSE(port.IsOpen());

  // The delay holds for the next message too, until "N&one".
  window->StartSend();
  EXPECT_THAT(smsc.Submits()[1], HasSubstr("//1///1/0612261600//"));
  window->OnDelayNone();
  EXPECT_EQ(Text(MainControl::kDelayTo), "&To...");
  window->StartSend();
  EXPECT_THAT(smsc.Submits()[2], HasSubstr("//1//////48656C6C6F/"));
  EXPECT_EQ(smsc.Submits().size(), 3u);
}

}  // namespace
}  // namespace tolvane::testing
