// Mail checks through the main window against a simulated POP3 server, dial-up and gateway.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/program.h"
#include "core/settings_loader.h"
#include "platform/sqlite_phone_book_store.h"
#include "sim/sim_dialler.h"
#include "sim/sim_mail_client.h"
#include "support/scenarios.h"

namespace tolvane {
namespace {

using sim::SimDialler;
using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kNumber[] = "46701234567";

class MailCheckScenarioTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  explicit MailCheckScenarioTest(TimePoint start = sim::SimEventLoop::DefaultStart())
      : loop_(start) {
    settings.AccessTyp = "TCP";
    settings.MailServer = "pop.example.com";
    settings.MailUserName = "anna";
    settings.MailPassWord = "secret";
    settings.RasYN = "1";
    settings.RasISP = " Provider ";
    settings.RasUserName = "dialer ";
    settings.RasPassWord = " pw";
    ComputeDerivedFields(settings);
    history_.Follow(window_, loop_);
    window_.OnTemporaryNumberToggled(true);
    window_.OnNumberEdited(kNumber);
  }

  void UseDialUp() {
    settings.RasYN = "0";
    ComputeDerivedFields(settings);
  }
  void SetSchedule(std::vector<std::string> times) {
    for (size_t i = 0; i < settings.MailTid.size(); ++i) {
      settings.MailTid[i] = i < times.size() ? times[i] : "";
    }
    ComputeDerivedFields(settings);
  }

  // Checks now and runs the loop for `time`.
  void CheckAndRun(milliseconds time) {
    window_.Mail().CheckNow();
    loop_.RunFor(time);
  }
  const ControlState& Control(MainControl control) const { return window_.Control(control); }
  const std::string& Status() const { return Control(MainControl::kStatusLine).text; }
  const std::string& ErrorLabel() const { return Control(MainControl::kErrorLabel).text; }
  std::vector<std::string> SentMessages() const { return testing::Sent(gateway_, "message"); }
  void ExpectIdleAndFree() const {
    EXPECT_FALSE(window_.MailCheckRunning());
    EXPECT_FALSE(Control(MainControl::kCancel).enabled);
    EXPECT_TRUE(Control(MainControl::kNow).enabled);
    EXPECT_TRUE(Control(MainControl::kSend).enabled);
    EXPECT_TRUE(Control(MainControl::kGroupSending).enabled);
  }

  sim::SimEventLoop loop_;
  sim::SimMailbox mailbox_;
  sim::SimMailClient mail_client_{loop_, mailbox_};
  SimDialler dial_up_{loop_};
  sim::SimGateway gateway_;
  sim::SimHttpClient http_client_{loop_, gateway_};
  testing::WindowHistory history_;
  MainWindow window_{settings, Services(loop_, serial, http_client_, mail_client_, dial_up_), host};
};

TEST_F(MailCheckScenarioTest, NoMailOrOnlyLocalSendsNothing) {
  window_.Mail().CheckNow();
  EXPECT_TRUE(Control(MainControl::kCancel).enabled);
  loop_.RunFor(minutes(2));

  EXPECT_EQ(window_.MessageText(), "No mail waiting on server");
  EXPECT_THAT(history_.status.Texts(),
              ElementsAre("0 character in message (Max 160).", "Connecting to POPServer...",
                          "Disconnecting...", "Done!"));
  EXPECT_EQ(mail_client_.UserName(), "anna");
  ExpectIdleAndFree();

  // "Only local" beeps and keeps the summary in the box.
  settings.BaraLokalt = "1";
  ComputeDerivedFields(settings);
  mailbox_.messages = {"Anna: Hi"};
  CheckAndRun(minutes(2));
  EXPECT_EQ(dialogs.beeps(), 1);
  EXPECT_EQ(window_.MessageText(), "1 mail waiting. Anna: Hi ");
  EXPECT_THAT(gateway_.Requests(), IsEmpty());
}

TEST_F(MailCheckScenarioTest, TwoMailsAreCollectedOneByOneAndTextedTenSecondsLater) {
  mailbox_.messages = {"Anna Berg: Lunch?", "bo@example.com: Invoice 42"};
  CheckAndRun(minutes(2));

  EXPECT_THAT(SentMessages(),
              ElementsAre("2 mail waiting. Anna Berg: Lunch? bo@example.com: Invoice 42 "));
  EXPECT_THAT(mail_client_.Retrieved(), ElementsAre(1, 2));
  // Connected at 200 ms; each retrieval 3 s after the last answer.
  EXPECT_EQ(history_.status.FirstAt("Number of mail: 2"), 200);
  EXPECT_EQ(history_.status.FirstAt("Receiving mail 1 of 2"), 3200);
  EXPECT_EQ(history_.status.FirstAt("Receiving mail 2 of 2"), 6400);
  EXPECT_EQ(history_.status.FirstAt("Sending to phone soon..."), 9800);
  EXPECT_EQ(history_.status.FirstAt("Connecting..."), 19800);

  // A longer summary goes as a double message, cut to 320 characters.
  const std::pair<size_t, std::vector<size_t>> summaries[] = {
      {160, {160}}, {161, {160, 1}}, {321, {160, 160}}};
  for (const auto& [length, parts] : summaries) {
    const size_t before = gateway_.Requests().size();
    mailbox_.messages = {std::string(length - 17, 'x')};  // after "1 mail waiting. ", a blank
    CheckAndRun(minutes(2));
    std::vector<size_t> sent;
    for (size_t i = before; i < SentMessages().size(); ++i)
      sent.push_back(SentMessages()[i].size());
    EXPECT_EQ(sent, parts) << length;
  }
}

TEST_F(MailCheckScenarioTest, NowIsRefusedWithoutServerOrConnection) {
  settings.MailServer = "";
  window_.Mail().CheckNow();
  UseDialUp();
  settings.RasISP = "  ";
  window_.Mail().CheckNow();
  EXPECT_THAT(dialogs.Texts(), ElementsAre("You must specify a POPserver",
                                           "You must choose a connection or check \"Don´t "
                                           "use DUN\""));
  loop_.RunFor(minutes(1));
  EXPECT_EQ(mail_client_.Connects(), 0);
  EXPECT_FALSE(window_.MailCheckRunning());

  // Switching checking on is refused the same way and leaves the box clear.
  window_.Mail().OnMailcheckingToggled(true);
  EXPECT_FALSE(Control(MainControl::kMailchecking).checked);
}

TEST_F(MailCheckScenarioTest, CancelOrALostLineEndsTheCheckAndForwardsNothing) {
  mailbox_.messages = {"one", "two", "three"};
  window_.Mail().CheckNow();
  loop_.After(milliseconds(6500), [this] { window_.CancelSend(); });
  loop_.RunFor(minutes(2));

  EXPECT_THAT(mail_client_.Retrieved(), ElementsAre(1, 2));
  EXPECT_EQ(Status(), "Cancelled!");
  EXPECT_THAT(gateway_.Requests(), IsEmpty());

  // While connecting it ends at once.
  mailbox_.silent = true;
  const int aborts = mail_client_.Aborts();
  window_.Mail().CheckNow();
  loop_.After(seconds(5), [this] { window_.CancelSend(); });
  loop_.RunFor(minutes(3));
  EXPECT_EQ(Status(), "Cancelled.");
  EXPECT_EQ(mail_client_.Aborts(), aborts + 1);

  UseDialUp();
  // The line goes while the mail is collected: no server error, no timeout.
  mailbox_.messages = {"one", "two", "three"};
  mailbox_.silent = false;
  const int aborts_before_drop = mail_client_.Aborts();
  window_.Mail().CheckNow();
  loop_.After(seconds(8), [this] { dial_up_.Drop(); });
  loop_.RunFor(minutes(2));
  EXPECT_THAT(mail_client_.Retrieved(), ElementsAre(1, 2, 1));
  EXPECT_EQ(mail_client_.Aborts(), aborts_before_drop + 1);
  EXPECT_EQ(Status(), "Receiving mail 1 of 3");
  EXPECT_EQ(ErrorLabel(), "");
  EXPECT_EQ(dial_up_.HangUps(), 0) << "nothing left to hang up";
  ExpectIdleAndFree();
}

TEST_F(MailCheckScenarioTest, LoginDialOrConnectFailuresShowTheirTextAndForwardNothing) {
  mailbox_.login_error = "Login failed.";
  mailbox_.messages = {"one"};
  CheckAndRun(minutes(2));
  EXPECT_EQ(ErrorLabel(), "Login failed.");
  EXPECT_EQ(Status(), "Error!");
  EXPECT_THAT(gateway_.Requests(), IsEmpty());

  // The next check starts with a clear error label; a failed dial shows the dialler's text.
  UseDialUp();
  dial_up_.QueueOutcome(SimDialler::Outcome::kFail);
  window_.Mail().CheckNow();
  EXPECT_EQ(ErrorLabel(), "");
  loop_.RunFor(minutes(2));
  EXPECT_EQ(ErrorLabel(), SimDialler::kFailText);
  EXPECT_EQ(mail_client_.Connects(), 1);

  settings.RasYN = "1";
  ComputeDerivedFields(settings);
  ::testing::NiceMock<testing::MockMailClient> refusing;
  int number = 0;
  ON_CALL(refusing, Connect()).WillByDefault([&number] { return number; });
  MainWindow window(settings, Services(loop_, serial, http_client_, refusing, dial_up_), host);
  // A failure to start connecting shows the text of its number.
  const std::pair<const char*, std::vector<int>> kConnectErrors[] = {
      {"System level interrupt interrupted socket operation.", {10004}},
      {"Generic file error.", {10024}},
      {"The current socket connection has been reset.", {10054}},
      {"The requested connection has been refused by the remote host.", {10061}},
      {"Socket has been disconnected.", {10101}},
      {"Remote host could not be found.", {11001, 11004}},
      {"Remote host could not be found, try again.", {11002}},
      {"Internal control state error.", {20001}},
      {"Login failed.", {20004}},
      {"Invalid password.", {20012}},
      {"Unknown error.", {10000, 10062, 11003, 20013, -1}},
  };
  for (const auto& [text, numbers] : kConnectErrors) {
    for (int error : numbers) {
      number = error;
      window.Mail().CheckNow();
      EXPECT_EQ(window.Control(MainControl::kErrorLabel).text, text) << error;
      EXPECT_EQ(window.Control(MainControl::kStatusLine).text, "Error!") << error;
      EXPECT_FALSE(window.MailCheckRunning());
    }
  }
}

TEST_F(MailCheckScenarioTest, WatchdogGivesASilentServerAnExtensionAndADialNone) {
  mailbox_.silent = true;
  CheckAndRun(seconds(89));
  EXPECT_TRUE(window_.MailCheckRunning());
  loop_.RunFor(seconds(2));
  EXPECT_EQ(history_.status.FirstAt("Timeout"), 90000);
  EXPECT_EQ(mail_client_.Aborts(), 1);

  // A silent dial gets no extension, and is hung up.
  UseDialUp();
  dial_up_.QueueOutcome(SimDialler::Outcome::kSilent);
  window_.Mail().CheckNow();
  EXPECT_EQ(Status(), "Dialing  Provider ");
  loop_.RunFor(seconds(59));
  EXPECT_TRUE(window_.MailCheckRunning());
  loop_.RunFor(seconds(2));
  EXPECT_EQ(Status(), "Timeout");
  EXPECT_EQ(dial_up_.HangUps(), 1);
  EXPECT_EQ(mail_client_.Connects(), 1) << "the silent server's only";

  // Authenticated but never connected: the timeout names the login.
  dial_up_.QueueOutcome(SimDialler::Outcome::kAuthenticateOnly);
  const long long start = loop_.Elapsed().count();
  CheckAndRun(seconds(68));
  EXPECT_EQ(history_.status.FirstAt("Timeout vid mailinloggning"), start + 67000);
  EXPECT_EQ(dial_up_.HangUps(), 2);
  ExpectIdleAndFree();
}

TEST_F(MailCheckScenarioTest, DialsOrUsesTheConnectionUpChecksAndHangsUpAsWhenSwitchedOff) {
  UseDialUp();
  mailbox_.messages = {"one"};
  CheckAndRun(minutes(2));

  EXPECT_EQ(dial_up_.EntryName(), "Provider");
  EXPECT_EQ(dial_up_.Password(), "pw");
  EXPECT_EQ(history_.status.FirstAt("Connecting to Provider"), 1000);
  EXPECT_EQ(history_.status.FirstAt("Connected"), 2000);
  EXPECT_EQ(history_.status.FirstAt("Connected to Provider"), 3000);
  EXPECT_EQ(history_.status.FirstAt("Connecting to POPServer..."), 4000);
  EXPECT_EQ(dial_up_.HangUps(), 1);
  EXPECT_THAT(SentMessages(), ElementsAre("1 mail waiting. one "));

  // Switching checking off hangs up and frees the window.
  dial_up_.SetConnected(true);
  window_.Mail().OnMailcheckingToggled(true);
  window_.Mail().OnMailcheckingToggled(false);
  EXPECT_EQ(dial_up_.HangUps(), 2);
  loop_.RunFor(minutes(1));
  EXPECT_EQ(mail_client_.Connects(), 1);
}

TEST_F(MailCheckScenarioTest, BusyLineWaitsFiveSecondsCountsDownAndDialsAgain) {
  UseDialUp();
  dial_up_.QueueOutcome(SimDialler::Outcome::kBusy);
  CheckAndRun(minutes(2));

  EXPECT_EQ(history_.status.FirstAt("Busy"), 1000);
  for (int left = 15; left >= 0; --left) {
    EXPECT_EQ(history_.status.FirstAt("Dialing again in " + std::to_string(left) + " seconds"),
              6000 + (16 - left) * 1000)
        << left;
  }
  EXPECT_THAT(dial_up_.Dials(), ElementsAre(0, 22000));
  EXPECT_EQ(mail_client_.Connects(), 1);
  ExpectIdleAndFree();
}

class MailScheduleTest : public MailCheckScenarioTest {
 protected:
  MailScheduleTest()
      : MailCheckScenarioTest(testing::LocalTimeOfDay(sim::SimEventLoop::DefaultStart(), 7, 4, 0)) {
  }
};

// 07:06, after an empty entry, is never reached.
TEST_F(MailScheduleTest, ATimeWithoutLeadingZeroMatchesOnceInItsMinute) {
  SetSchedule({"7:05", "", "07:06"});
  window_.Mail().OnMailcheckingToggled(true);
  loop_.RunFor(seconds(59));
  EXPECT_EQ(mail_client_.Connects(), 0);
  loop_.RunFor(seconds(2));
  EXPECT_EQ(mail_client_.Connects(), 1);
  EXPECT_EQ(history_.status.FirstAt("Connecting to POPServer..."), 60000);
  loop_.RunFor(minutes(10));
  EXPECT_EQ(mail_client_.Connects(), 1);
  // Checking stays on: the window stays locked.
  EXPECT_FALSE(Control(MainControl::kSend).enabled);
}

TEST_F(MailScheduleTest, ACheckFallingDuringASendIsSkippedAndTheScheduleGoesOn) {
  SetSchedule({"07:05"});
  gateway_.SetDefaultAnswer(sim::GatewayAnswer::Status(200, 9000));
  window_.Mail().OnMailcheckingToggled(true);
  long long connected_at = -1;
  loop_.At(seconds(55), [this, &connected_at] {
    window_.OnMessageEdited("Sent by another part of the program");
    window_.StartSend();
    EXPECT_EQ(mail_client_.Connects(), 0);
    connected_at = loop_.Elapsed().count();
  });
  loop_.RunFor(minutes(3));
  ASSERT_EQ(gateway_.Requests().size(), 1u);
  // The send ended at 07:05:06; the next tick in the same minute checks.
  EXPECT_EQ(connected_at, 66000);
  EXPECT_EQ(mail_client_.Connects(), 1);
  EXPECT_EQ(history_.status.FirstAt("Connecting to POPServer..."), 66000);
}

TEST_F(MailScheduleTest, ShutdownHangsUpTheConnectionOfARunningCheck) {
  UseDialUp();
  SqlitePhoneBookStore store;
  Program program(Services(loop_, serial, http_client_, mail_client_, dial_up_), store, host);
  ASSERT_TRUE(program.Startup(book.Folder(), ""));
  program.Settings().RasISP = "Provider";
  program.Settings().MailServer = "pop.example.com";
  mailbox_.silent = true;
  program.Window().Mail().CheckNow();
  loop_.RunFor(seconds(10));
  ASSERT_TRUE(dial_up_.IsConnected());
  program.Shutdown({});
  EXPECT_FALSE(dial_up_.IsConnected());
}

}  // namespace
}  // namespace tolvane
