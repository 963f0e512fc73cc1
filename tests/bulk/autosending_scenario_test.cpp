// Autosending through the main window against the simulated gateway, the folder in memory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bulk/command_line_sending.h"
#include "bulk/group_sending.h"
#include "platform/local_time.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using sim::GatewayAnswer;
using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

constexpr char kAnna[] = "07011122";

class AutosendingScenarioTest : public GatewayScenario {
 protected:
  AutosendingScenarioTest() {
    settings.AutoFil = "/out";
    settings.AutoTyp = "1";
    settings.AutoTabort = "1";
    files.MakeFolder("/out");
    book.Add("Anna", "070-111 22");
    window->SetPhoneBookCursor(&book.cursor());
    window->RefreshRecipientList();
  }

  bool On() const { return window->Control(MainControl::kAutosending).checked; }
  // Files hold orders; no receipts asked for.
  void SendOrders() {
    AskForReceipts(false);
    settings.NrFranFil = "1";
    settings.NrFranFilOn = true;
  }
  void Wait(milliseconds time) { WaitFor(loop, static_cast<int>(time.count())); }
  // Switches autosending on and waits until it has switched itself off.
  void RunOnePass() {
    window->OnAutosendingClicked(true);
    WaitUntil(loop, [this] { return !On(); });
  }
  // Waits until the local time of day next reads hh:mm:ss and `ms`.
  void WaitUntilLocal(int hour, int minute, int second, int ms) {
    TimePoint target = LocalTimeOfDay(loop.Now(), hour, minute, second) + milliseconds(ms);
    if (target <= loop.Now()) target += std::chrono::hours(24);
    Wait(std::chrono::duration_cast<milliseconds>(target - loop.Now()));
  }
};

TEST_F(AutosendingScenarioTest, MomentaryPassSendsEachFileWholeInNameOrderToTheChosenPerson) {
  settings.AutoTabort = "";
  files.Write("/out/note.txt", "Line one\r\nLine two");
  window->OnAutosendingClicked(true);
  EXPECT_FALSE(Enabled(MainControl::kSend));
  WaitUntil(loop, [this] { return !On(); });
  // The first tick, two seconds of a still file, the gateway's pause.
  EXPECT_EQ(loop.Elapsed(), milliseconds(5000));
  EXPECT_THAT(Sent("message"), ElementsAre("Line one\r\nLine two"));
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre(kAnna));
  EXPECT_TRUE(files.Exists("/out/note.txt"));  // kept without AutoTabort

  // Hidden files and folders are left; the others go in name order.
  settings.AutoTabort = "1";
  files.Remove("/out/note.txt");
  files.Write("/out/b.txt", "second");
  files.Write("/out/.a.txt", "still being written");
  files.Write("/out/a.txt", "first");
  files.Write("/out/sub/c.txt", "in a folder");
  RunOnePass();
  EXPECT_THAT(Sent("message"), ElementsAre("Line one\r\nLine two", "first", "second"));
  EXPECT_FALSE(files.Exists("/out/b.txt"));
  EXPECT_TRUE(files.Exists("/out/.a.txt"));
  EXPECT_TRUE(files.Exists("/out/sub/c.txt"));

  // UTF-8 marked as such and Windows-1252 are both read right.
  files.Write("/out/d.txt",
              "\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F"
              "e \xE2\x82\xAC");
  const std::string windows_1252 =
      "Gr\xFC\xDF"
      "e \x80";
  files.Write("/out/e.txt", windows_1252);
  RunOnePass();
  EXPECT_THAT(Sent("message"),
              ElementsAre("Line one\r\nLine two", "first", "second", windows_1252, windows_1252));
  EXPECT_FALSE(files.Exists("/out/d.txt"));
  EXPECT_FALSE(files.Exists("/out/e.txt"));
}

TEST_F(AutosendingScenarioTest, AtTypeRunsOncePerDayFromOneToFourSecondsPastTheMinute) {
  loop.SetLimit(std::chrono::hours(24 * 5));
  settings.AutoTyp = "2";
  settings.AutoTabort = "";
  AskForReceipts(false);
  files.Write("/out/daily.txt", "Good evening");
  WaitUntilLocal(20, 59, 59, 500);
  window->OnAutosendingClicked(true);
  WaitUntil(loop, [&] { return !gateway.Requests().empty(); });
  EXPECT_EQ(TimeOfDayText(loop.Now()), "21:00:03");  // listed at 21:00:01.5
  Wait(milliseconds(3000));                          // a pass that ended early does not run again
  EXPECT_EQ(files.ListCount(), 1);
  WaitUntilLocal(12, 0, 0, 0);
  WaitUntilLocal(21, 0, 10, 0);
  EXPECT_EQ(files.ListCount(), 2);  // the next day
  window->OnAutosendingClicked(false);

  WaitUntilLocal(21, 0, 4, 500);
  window->OnAutosendingClicked(true);
  Wait(milliseconds(3000));  // 21:00:05.5 and later
  EXPECT_EQ(files.ListCount(), 2);
  window->OnAutosendingClicked(false);
  WaitUntilLocal(21, 0, 3, 500);
  window->OnAutosendingClicked(true);
  Wait(milliseconds(1000));  // 21:00:04.5
  EXPECT_EQ(files.ListCount(), 3);
}

// Every PollTid + 1 seconds, at 0 too.
TEST_F(AutosendingScenarioTest, WhenFilesExistTheFolderIsCheckedEveryPollTidAndOneSeconds) {
  settings.AutoTyp = "3";
  AskForReceipts(false);
  long long start = 0;
  for (int poll : {0, 10}) {
    SCOPED_TRACE(poll);
    if (On()) window->OnAutosendingClicked(false);
    settings.PollTid = poll;
    start = loop.Elapsed().count();
    const int listed = files.ListCount();
    window->OnAutosendingClicked(true);
    for (int check = 1; check <= 2; ++check) {
      Wait(milliseconds(start + check * (poll + 1) * 1000 - 100 - loop.Elapsed().count()));
      EXPECT_EQ(files.ListCount(), listed + check - 1);
      Wait(milliseconds(200));
      EXPECT_EQ(files.ListCount(), listed + check);
    }
  }
  EXPECT_EQ(Receipt(), "");  // an empty folder is no news

  files.Write("/out/x.txt", "Poll me");
  WaitUntil(loop, [&] { return !gateway.Requests().empty(); });
  EXPECT_EQ(loop.Elapsed().count() - start, 33000 + 6000);  // each file is given six seconds
  EXPECT_FALSE(files.Exists("/out/x.txt"));
}

TEST_F(AutosendingScenarioTest, AFailingFileIsTriedAgainAtItsTimeWithoutHoldingUpTheOthers) {
  settings.VTid = 2;
  SendOrders();
  gateway.SetAnswer("0701", GatewayAnswer::Close());
  files.Write("/out/a.txt", "N//0701//Fails first");
  files.Write("/out/b.txt", "N//0702//Fine");
  // a fails at 3 s and its order waits 3 s; b goes in the same pass.
  At(8001, [this] { EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("0701", "0702")); });
  At(11001, [this] {
    EXPECT_FALSE(files.Exists("/out/b.txt"));
    EXPECT_TRUE(Enabled(MainControl::kCancel));  // the wait can be cancelled
    gateway.SetAnswer("0701", GatewayAnswer::Status(200));
  });
  // Two minutes after a's try ended (with the order's 3 s), and no sooner.
  At(6000 + 2 * 60000 - 1, [this] { EXPECT_EQ(gateway.Requests().size(), 2u); });
  At(6000 + 2 * 60000 + 1, [this] { EXPECT_EQ(gateway.Requests().size(), 3u); });
  RunOnePass();
  EXPECT_EQ(loop.Elapsed(), milliseconds(6000 + 2 * 60000 + 3000));
  EXPECT_THAT(Sent("message"), ElementsAre("Fails first", "Fine", "Fails first"));
  EXPECT_FALSE(files.Exists("/out/a.txt"));
}

// A file goes once a message of it was accepted; only a file nobody got, and
// not for a refusal, is tried again.
TEST_F(AutosendingScenarioTest,
       AFileGoesOnceAMessageOfItWasAcceptedAndIsTriedAgainOnlyWhenUntaken) {
  SendOrders();
  const GatewayAnswer fine = GatewayAnswer::Status(200), closed = GatewayAnswer::Close(),
                      refused = GatewayAnswer::Status(430);
  const struct {
    const char* order;
    GatewayAnswer answer_0701, answer_0702;
    int tries_again_after;  // VTid
    size_t requests;
    bool kept;
  } cases[] = {
      {"N//0701,0702//Half", fine, closed, 2, 2, false},
      {"N//0701//Once", closed, fine, 0, 1, true},
      {"N//0701,0702//Hej", refused, fine, 1, 2, false},
      {"N//0701//Hej", refused, fine, 1, 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.order);
    settings.VTid = c.tries_again_after;
    gateway.SetAnswer("0701", c.answer_0701);
    gateway.SetAnswer("0702", c.answer_0702);
    const size_t before = gateway.Requests().size();
    files.Write("/out/a.txt", c.order);
    RunOnePass();
    Wait(milliseconds(3 * 60000));
    EXPECT_EQ(gateway.Requests().size() - before, c.requests);
    EXPECT_EQ(files.Exists("/out/a.txt"), c.kept);
  }
  // Refusals are logged alike whether the run was partly accepted or not.
  const std::string refusal =
      "\"Message account is zero - you need to fill up the account before "
      "sending more messages\"";
  const std::string closing = "\"Error: 2:Connection closed by the gateway\"";
  EXPECT_THAT(LogLines(), ElementsAre(StartsWith("\"Group 0701\",\"Message delivered"),
                                      StartsWith("\"Group 0702\"," + closing),
                                      StartsWith("\"Temporary number 0701\"," + closing),
                                      StartsWith("\"Group 0701\"," + refusal),
                                      StartsWith("\"Group 0702\",\"Message delivered"),
                                      StartsWith("\"Temporary number 0701\"," + refusal)));
}

TEST_F(AutosendingScenarioTest, AutoStangClosesTheProgramAfterThePassButNotAfterCancel) {
  settings.AutoStang = "1";
  files.Write("/out/a.txt", "first");
  files.Write("/out/b.txt", "second");
  gateway.SetAnswer(kAnna, GatewayAnswer::Status(200, 5000));
  EXPECT_CALL(host, CloseMainWindow()).Times(0);
  // Sent at 5 s, answered at 10 s.
  At(6000, [this] { window->CancelSend(); });
  RunOnePass();
  EXPECT_THAT(Sent("message"), ElementsAre("first"));
  EXPECT_TRUE(files.Exists("/out/a.txt"));
  EXPECT_TRUE(files.Exists("/out/b.txt"));
  EXPECT_TRUE(Enabled(MainControl::kSend));

  ::testing::Mock::VerifyAndClearExpectations(&host);
  bool closed = false;
  EXPECT_CALL(host, CloseMainWindow()).WillOnce([&] { closed = true; });
  window->OnAutosendingClicked(true);
  WaitUntil(loop, [&] { return closed; });
  EXPECT_THAT(Sent("message"), ElementsAre("first", "first", "second"));
  EXPECT_FALSE(files.Exists("/out/b.txt"));
}

TEST_F(AutosendingScenarioTest, FileStillBeingWrittenIsSentWhole) {
  files.Write("/out/grow.txt", "Part one");
  At(1500, [this] { files.Append("/out/grow.txt", " part two"); });
  At(2900, [this] { files.Append("/out/grow.txt", " end"); });
  settings.AutoTabort = "";
  RunOnePass();
  EXPECT_THAT(Sent("message"), ElementsAre("Part one part two end"));
  EXPECT_EQ(loop.Elapsed(), milliseconds(3000 + 2000 + 2000));

  // A write while the file is read: it is read again once still.
  files.DuringNextRead("/out/grow.txt", [this] { files.Append("/out/grow.txt", "!"); });
  RunOnePass();
  EXPECT_EQ(Sent("message").back(), "Part one part two end!");
  EXPECT_EQ(files.ReadCount("/out/grow.txt"), 3);
}

TEST_F(AutosendingScenarioTest, NoFolderAnUnreadableFileOrASendInProgressEndsAutosending) {
  settings.AutoFil = "";
  window->OnAutosendingClicked(true);
  settings.AutoFil = "/nowhere";
  window->OnAutosendingClicked(true);
  EXPECT_THAT(dialogs.Texts(), ElementsAre("You must specify a path first. Choose File Settings...",
                                           "The folder /nowhere does not exist"));
  EXPECT_FALSE(On());
  EXPECT_TRUE(Enabled(MainControl::kSend));
  EXPECT_TRUE(Enabled(MainControl::kMenuSettings));

  settings.AutoFil = "/out/";
  files.Write("/out/locked.txt", "secret");
  files.FailReads("/out/locked.txt", 13);
  RunOnePass();
  EXPECT_EQ(window->MessageText(), "Tolvane couldn´t send the file! /out/ Error: 13");
  EXPECT_TRUE(gateway.Requests().empty());

  // Nor can it be switched on while the user sends.
  files.Remove("/out/locked.txt");
  gateway.SetAnswer(kAnna, GatewayAnswer::Status(200, 5000));
  files.Write("/out/a.txt", "from a file");
  At(3000, [this] {
    window->OnAutosendingClicked(true);
    EXPECT_FALSE(On());
  });
  TypeMessage(*window, "typed");
  window->StartSend();
  Wait(milliseconds(10000));
  EXPECT_THAT(Sent("message"), ElementsAre("typed"));
}

// A refused file stays, is told once and never ends autosending.
TEST_F(AutosendingScenarioTest, BadOrdersAreRefusedWholeOnTheCommandLineAndInTheFolder) {
  window->SetPhoneBookStore(&book.store());
  book.AddToGroup("Vänner", "Bo", "0703");
  std::string forty_one = "0700";
  for (int i = 1; i <= 40; ++i) forty_one += "," + std::to_string(701000 + i);
  const std::pair<std::string, std::string> kBad[] = {
      {"", "The file is empty."},
      {"Hello without fields", "Incorrect order: use marker//number//message"},
      {"N//0701,0702", "Incorrect order: use marker//number//message"},
      {"N//" + forty_one + "//Hej", "More than 40 numbers in the order, nothing sent!"},
      {"G//Fiender//Hej", "Can´t find the Fiender group!"},
      {"G//tELELIST//Hej", "Can´t find the tELELIST group!"},
      {"G//Vänner//Hej {nmae}!", "Unknown field {nmae}: use {name}, {first} or {number}"},
      {"N//0701,0702//Hej {first", "Field {first has no closing brace"},
  };
  window->SetCommandLineMode(true);
  for (size_t i = 1; i < std::size(kBad); ++i) {
    EXPECT_EQ(CommandLineSending(*window).ArgSandning(kBad[i].first), OrderOutcome::kBadOrder) << i;
    EXPECT_EQ(Receipt(), kBad[i].second) << i;
  }
  window->SetCommandLineMode(false);

  settings.AutoTyp = "3";
  settings.PollTid = 1;
  SendOrders();
  std::vector<std::string> refusals;
  for (size_t i = 0; i < std::size(kBad); ++i) {
    const std::string name = std::to_string(i) + ".txt";
    files.Write("/out/" + name, kBad[i].first);
    refusals.push_back("\"/out/" + name + "\",\"" + kBad[i].second + "\",\"" + kBad[i].first +
                       "\"");
  }
  files.Write("/out/c.txt", "N//0702//Fine");
  window->OnAutosendingClicked(true);
  WaitUntil(loop, [&] { return gateway.Requests().size() == 1; });
  Wait(milliseconds(30000));  // several more checks of the folder
  EXPECT_TRUE(On());
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), refusals.size() + 1);
  EXPECT_THAT(log.back(), StartsWith("\"Temporary number 0702\""));
  log.pop_back();
  EXPECT_EQ(log, refusals);
  for (size_t i = 0; i < std::size(kBad); ++i) {
    EXPECT_EQ(receipts.Count(std::to_string(i) + ".txt not sent: " + kBad[i].second), 1) << i;
    EXPECT_TRUE(files.Exists("/out/" + std::to_string(i) + ".txt")) << i;
  }
  EXPECT_FALSE(files.Exists("/out/c.txt"));

  // A file dropped later is sent, and so is a refused one once it is changed.
  files.Write("/out/d.txt", "N//0704//Later");
  files.Write("/out/1.txt", "N//0703//Mended");
  WaitUntil(loop, [&] { return gateway.Requests().size() == 3; });
  EXPECT_THAT(Sent("toPhoneNumber"), ElementsAre("0702", "0703", "0704"));
}

TEST_F(AutosendingScenarioTest, GroupModeFileThatReachesNobodyStaysAndIsTriedAgain) {
  settings.VTid = 1;
  book.AddToGroup("Lag", "Bo", "none");
  window->SetPhoneBookStore(&book.store());
  window->OnGroupSendingToggled();
  files.Write("/out/g.txt", "Hej laget");
  // Read at 3 s, tried again a minute later, cancelled in the next wait.
  At(3000 + 60000 + 1000, [this] { window->CancelSend(); });
  RunOnePass();
  EXPECT_THAT(gateway.Requests(), IsEmpty());
  EXPECT_TRUE(files.Exists("/out/g.txt"));
  EXPECT_THAT(LogLines(), ElementsAre("\"Bo \",\"Not a number: none, skipped.\",\"Hej laget\"",
                                      "\"Bo \",\"Not a number: none, skipped.\",\"Hej laget\""));
  EXPECT_EQ(statuses.Count("1 of 1 members not sent, see the log"), 2);
  // Group mode keeps mail checking off when autosending ends.
  EXPECT_FALSE(Enabled(MainControl::kMailchecking));
}

}  // namespace
}  // namespace tolvane::testing
