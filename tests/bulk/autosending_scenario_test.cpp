// Autosending through the main window against the simulated gateway, with the
// watched folder in memory: what was sent, what stayed in the folder, and what
// the window shows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>

#include "core/main_window.h"
#include "platform/local_time.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "support/window_peripherals.h"

namespace tolvane {
namespace {

using sim::GatewayAnswer;
using std::chrono::milliseconds;
using ::testing::ElementsAre;

constexpr char kAnna[] = "07011122";

class AutosendingScenarioTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  AutosendingScenarioTest() {
    settings.AccessTyp = "TCP";
    settings.AutoFil = "/out";
    settings.AutoTyp = "1";
    book.Add("Anna", "070-111 22");
    window_.SetPhoneBookCursor(&book.cursor());
    window_.RefreshRecipientList();
  }

  bool On() const { return window_.Control(MainControl::kAutosending).checked; }
  bool Enabled(MainControl control) const { return window_.Control(control).enabled; }
  void Wait(milliseconds time) { WaitFor(loop_, static_cast<int>(time.count())); }
  // Switches autosending on and waits until it has switched itself off.
  void RunOnePass() {
    window_.OnAutosendingClicked(true);
    WaitUntil(loop_, [this] { return !On(); });
  }
  void WaitForRequests(size_t count) {
    WaitUntil(loop_, [&] { return gateway_.Requests().size() >= count; });
  }
  std::vector<std::string> Sent(const char* field = "message") const {
    std::vector<std::string> values;
    for (const sim::GatewayRequest& request : gateway_.Requests()) {
      values.push_back(request.Field(field));
    }
    return values;
  }
  // Waits until the local time of day next reads hh:mm:ss and `ms`.
  void WaitUntilLocal(int hour, int minute, int second, int ms) {
    std::time_t now = Clock::to_time_t(loop_.Now());
    std::tm local{};
    localtime_r(&now, &local);
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    TimePoint target = Clock::from_time_t(std::mktime(&local)) + milliseconds(ms);
    if (target <= loop_.Now()) target += std::chrono::hours(24);
    Wait(std::chrono::duration_cast<milliseconds>(target - loop_.Now()));
  }

  sim::SimEventLoop loop_;
  sim::SimGateway gateway_;
  sim::SimHttpClient client_{loop_, gateway_};
  MainWindow window_{settings, Services(loop_, client_), host};
};

TEST_F(AutosendingScenarioTest, MomentaryPassSendsATwoLineFileWholeToTheChosenPersonOnce) {
  files.Write("/out/note.txt", "Line one\r\nLine two");
  window_.OnAutosendingClicked(true);
  EXPECT_FALSE(Enabled(MainControl::kSend));
  EXPECT_FALSE(Enabled(MainControl::kMailchecking));
  EXPECT_FALSE(window_.List(MainList::kRecipients).enabled);
  WaitUntil(loop_, [this] { return !On(); });
  // The first tick, two seconds of a still file, the gateway's pause.
  EXPECT_EQ(loop_.Elapsed(), milliseconds(5000));
  EXPECT_THAT(Sent(), ElementsAre("Line one\r\nLine two"));
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre(kAnna));
  EXPECT_EQ(window_.Control(MainControl::kReceiptLine).text,
            "Message delivered to recipients phone");
  EXPECT_TRUE(files.Exists("/out/note.txt"));
  EXPECT_TRUE(Enabled(MainControl::kSend));
  EXPECT_TRUE(window_.List(MainList::kRecipients).enabled);
}

TEST_F(AutosendingScenarioTest, FilesGoInNameOrderAndHiddenFilesAndFoldersAreLeft) {
  settings.AutoTabort = "1";
  files.Write("/out/b.txt", "second");
  files.Write("/out/.a.txt", "still being written");
  files.Write("/out/a.txt", "first");
  files.Write("/out/sub/c.txt", "in a folder");
  RunOnePass();
  EXPECT_THAT(Sent(), ElementsAre("first", "second"));
  EXPECT_FALSE(files.Exists("/out/a.txt"));
  EXPECT_FALSE(files.Exists("/out/b.txt"));
  EXPECT_TRUE(files.Exists("/out/.a.txt"));
  EXPECT_TRUE(files.Exists("/out/sub/c.txt"));
}

TEST_F(AutosendingScenarioTest, AtTypeRunsOncePerDayFromOneToFourSecondsPastTheMinute) {
  loop_.SetLimit(std::chrono::hours(24 * 5));
  settings.AutoTyp = "2";
  settings.EjKvitto = "1";
  files.Write("/out/daily.txt", "Good evening");
  WaitUntilLocal(20, 59, 59, 500);
  window_.OnAutosendingClicked(true);
  Wait(milliseconds(1000));  // 21:00:00.5
  EXPECT_EQ(files.ListCount(), 0);
  WaitForRequests(1);
  EXPECT_EQ(TimeOfDayText(loop_.Now()), "21:00:03");  // listed at 21:00:01.5
  Wait(milliseconds(3000));                           // a pass that ended early does not run again
  EXPECT_EQ(files.ListCount(), 1);
  WaitUntilLocal(12, 0, 0, 0);
  WaitUntilLocal(21, 0, 10, 0);
  EXPECT_EQ(files.ListCount(), 2);  // the next day
  window_.OnAutosendingClicked(false);

  WaitUntilLocal(21, 0, 4, 500);
  window_.OnAutosendingClicked(true);
  Wait(milliseconds(3000));  // 21:00:05.5 and later
  EXPECT_EQ(files.ListCount(), 2);
  window_.OnAutosendingClicked(false);
  WaitUntilLocal(21, 0, 3, 500);
  window_.OnAutosendingClicked(true);
  Wait(milliseconds(1000));  // 21:00:04.5
  EXPECT_EQ(files.ListCount(), 3);
}

TEST_F(AutosendingScenarioTest, WhenFilesExistTheFolderIsCheckedEveryElevenSeconds) {
  settings.AutoTyp = "3";
  settings.PollTid = 10;
  settings.AutoTabort = "1";
  settings.EjKvitto = "1";
  window_.OnAutosendingClicked(true);
  Wait(milliseconds(10900));
  EXPECT_EQ(files.ListCount(), 0);
  Wait(milliseconds(200));
  EXPECT_EQ(files.ListCount(), 1);
  Wait(milliseconds(10800));
  EXPECT_EQ(files.ListCount(), 1);
  Wait(milliseconds(200));
  EXPECT_EQ(files.ListCount(), 2);
  EXPECT_EQ(window_.Control(MainControl::kReceiptLine).text, "");  // an empty folder is no news

  files.Write("/out/x.txt", "Poll me");
  WaitForRequests(1);
  EXPECT_EQ(loop_.Elapsed(), milliseconds(33000 + 6000));  // each file is given six seconds
  EXPECT_FALSE(files.Exists("/out/x.txt"));
  Wait(milliseconds(11100));
  EXPECT_EQ(files.ListCount(), 4);
  EXPECT_TRUE(On());
}

TEST_F(AutosendingScenarioTest, FailedSendIsKeptAndTriedAgainAfterVTidMinutes) {
  settings.AutoTabort = "1";
  settings.VTid = 2;
  settings.EjKvitto = "1";
  gateway_.SetAnswer(kAnna, GatewayAnswer::Close());
  files.Write("/out/m.txt", "Try again");
  // The first try goes out at 3 s: the first tick, then 2 s of a still file.
  loop_.At(milliseconds(4000), [this] {
    EXPECT_EQ(gateway_.Requests().size(), 1u);
    EXPECT_TRUE(files.Exists("/out/m.txt"));
    EXPECT_TRUE(Enabled(MainControl::kCancel));  // the wait can be cancelled
    gateway_.SetAnswer(kAnna, GatewayAnswer::Status(200));
  });
  loop_.At(milliseconds(3000 + 2 * 60000 - 1),
           [this] { EXPECT_EQ(gateway_.Requests().size(), 1u); });
  RunOnePass();
  EXPECT_EQ(loop_.Elapsed(), milliseconds(3000 + 2 * 60000));
  EXPECT_FALSE(files.Exists("/out/m.txt"));

  settings.VTid = 0;
  gateway_.SetAnswer(kAnna, GatewayAnswer::Close());
  files.Write("/out/m.txt", "Once only");
  RunOnePass();
  EXPECT_THAT(Sent(), ElementsAre("Try again", "Try again", "Once only"));
  EXPECT_TRUE(files.Exists("/out/m.txt"));
}

TEST_F(AutosendingScenarioTest, AutoStangClosesTheProgramAfterThePassButNotAfterCancel) {
  settings.AutoStang = "1";
  settings.AutoTabort = "1";
  files.Write("/out/a.txt", "first");
  files.Write("/out/b.txt", "second");
  gateway_.SetAnswer(kAnna, GatewayAnswer::Status(200, 5000));
  EXPECT_CALL(host, CloseMainWindow()).Times(0);
  // The first request goes out at 5 s and is answered at 10 s.
  loop_.After(milliseconds(6000), [this] { window_.CancelSend(); });
  RunOnePass();
  EXPECT_THAT(Sent(), ElementsAre("first"));
  EXPECT_TRUE(files.Exists("/out/a.txt"));
  EXPECT_TRUE(files.Exists("/out/b.txt"));
  EXPECT_TRUE(Enabled(MainControl::kSend));

  // Cancel also ends the wait for a still file.
  loop_.After(milliseconds(1500), [this] {
    EXPECT_TRUE(Enabled(MainControl::kCancel));
    window_.CancelSend();
  });
  RunOnePass();
  EXPECT_EQ(gateway_.Requests().size(), 1u);

  ::testing::Mock::VerifyAndClearExpectations(&host);
  bool closed = false;
  EXPECT_CALL(host, CloseMainWindow()).WillOnce([&] { closed = true; });
  window_.OnAutosendingClicked(true);
  WaitUntil(loop_, [&] { return closed; });
  EXPECT_THAT(Sent(), ElementsAre("first", "first", "second"));
  EXPECT_FALSE(files.Exists("/out/b.txt"));
}

TEST_F(AutosendingScenarioTest, FileStillBeingWrittenIsSentWhole) {
  files.Write("/out/grow.txt", "Part one");
  loop_.After(milliseconds(1500), [this] { files.Append("/out/grow.txt", " part two"); });
  loop_.After(milliseconds(2900), [this] { files.Append("/out/grow.txt", " end"); });
  RunOnePass();
  EXPECT_THAT(Sent(), ElementsAre("Part one part two end"));
  EXPECT_EQ(loop_.Elapsed(), milliseconds(3000 + 2000 + 2000));

  // A write while the file is read: it is read again once still.
  files.DuringNextRead("/out/grow.txt", [this] { files.Append("/out/grow.txt", "!"); });
  RunOnePass();
  EXPECT_EQ(Sent().back(), "Part one part two end!");
  EXPECT_EQ(files.ReadCount("/out/grow.txt"), 3);
}

TEST_F(AutosendingScenarioTest, OrderFilesNameTheirOwnRecipient) {
  settings.NrFranFil = "1";
  settings.NrFranFilOn = true;
  settings.AutoTabort = "1";
  files.Write("/out/1.txt", "N//0701234567//Order one\r\n");
  files.Write("/out/2.txt", "no order at all");
  RunOnePass();
  EXPECT_THAT(Sent(), ElementsAre("Order one\r\n"));
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("0701234567"));
  EXPECT_FALSE(files.Exists("/out/1.txt"));
  EXPECT_TRUE(files.Exists("/out/2.txt"));  // nothing was sent for it
  EXPECT_FALSE(window_.Control(MainControl::kTemporaryNumber).checked);
}

TEST_F(AutosendingScenarioTest, CannotBeSwitchedOnWhileTheUserSends) {
  gateway_.SetAnswer(kAnna, GatewayAnswer::Status(200, 5000));
  files.Write("/out/a.txt", "from a file");
  loop_.After(milliseconds(3000), [this] {
    window_.OnAutosendingClicked(true);
    EXPECT_FALSE(On());
  });
  testing::TypeMessage(window_, "typed");
  window_.StartSend();
  Wait(milliseconds(10000));
  EXPECT_THAT(Sent(), ElementsAre("typed"));
}

TEST_F(AutosendingScenarioTest, NoFolderOrAnUnreadableFileEndsAutosending) {
  settings.AutoFil = "";
  window_.OnAutosendingClicked(true);
  EXPECT_THAT(dialogs.Texts(),
              ElementsAre("You must specify a path first. Choose File Settings..."));
  EXPECT_EQ(dialogs.boxes()[0].title, "Path?");
  EXPECT_FALSE(On());
  EXPECT_TRUE(Enabled(MainControl::kSend));

  settings.AutoFil = "/out/";
  files.Write("/out/locked.txt", "secret");
  files.FailReads("/out/locked.txt", 13);
  RunOnePass();
  EXPECT_EQ(window_.MessageText(), "Tolvane couldn\xB4t send the file! /out/ Error: 13");
  EXPECT_TRUE(gateway_.Requests().empty());
}

}  // namespace
}  // namespace tolvane
