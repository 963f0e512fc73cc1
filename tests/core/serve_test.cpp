// The program without a window: what it starts by itself, what it reports
// on standard error, and how a stop signal ends it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "core/program.h"
#include "core/program_options.h"
#include "core/serve_host.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "support/scenarios.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class ServeTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  void Start(const std::string& ini) {
    book.dir().WriteFile("tolvmsg.ini", ini);
    files.MakeFolder("/outbox");
    ASSERT_TRUE(program_.Startup(book.Folder(), kServeOption));
    serve_host_.Watch(program_.Window());
    loop_.RunFor(std::chrono::milliseconds(10));
  }
  bool Checked(MainControl control) { return program_.Window().Control(control).checked; }

  sim::SimEventLoop loop_;
  SqlitePhoneBookStore store_;
  std::ostringstream err_;
  int closed_ = 0;
  ServeHost serve_host_{err_, [this] { ++closed_; }};
  Program program_{Services(loop_), store_, serve_host_};
};

TEST_F(ServeTest, StartsAutosendingAndMailCheckingAsTheSettingsAskWithoutAWindow) {
  struct Case {
    std::string ini;
    bool autosending;
    bool mail_checking;
  };
  const Case cases[] = {
      {"", false, false},
      {"[Auto]\r\nAutoDef=1\r\nAutoFil=/outbox\r\n", true, false},
      // A server without a check time, and a time without a server, check nothing.
      {"[Mail]\r\nMailServer=pop.example.org\r\n", false, false},
      {"[Mail]\r\nMailTid1=08:00\r\n", false, false},
      {"[Auto]\r\nAutoDef=1\r\nAutoFil=/outbox\r\n[RAS]\r\nRasY/N=1\r\n[Mail]\r\n"
       "MailServer=pop.example.org\r\nMailTid1=08:00\r\n",
       true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    sim::SimEventLoop loop;
    SqlitePhoneBookStore store;
    std::ostringstream err;
    ServeHost host(err, [] {});
    Program program(Services(loop), store, host);
    book.dir().WriteFile("tolvmsg.ini", c.ini);
    files.MakeFolder("/outbox");
    ASSERT_TRUE(program.Startup(book.Folder(), kServeOption));
    loop.RunFor(std::chrono::milliseconds(10));
    EXPECT_FALSE(program.CommandLineMode());
    EXPECT_EQ(program.Window().Control(MainControl::kAutosending).checked, c.autosending);
    EXPECT_EQ(program.Window().Control(MainControl::kMailchecking).checked, c.mail_checking);
    EXPECT_TRUE(dialogs.boxes().empty());
    program.EndServing([] { FAIL() << "nothing was sending"; });
  }
}

TEST_F(ServeTest, ReportsStatusReceiptReceivingAndEachMessageReceivedOnOneLineEach) {
  Start("[Modem]\r\nLogg=1\r\n");
  MainWindow& window = program_.Window();
  err_.str("");
  window.SetStatusLine("160 left");  // the counter between sends: no line
  window.State().sending = true;
  window.SetStatusLine("Connecting...");
  window.SetStatusLine("Connecting...");  // unchanged: no line
  window.SetReceiptLine("Message delivered.\r\nto 0701");
  window.SetStatusLine("");
  serve_host_.ShowReceiving("Receiving: reconnecting in 40 s");
  EXPECT_EQ(window.Receive({"+46701234567", "26120816000000", "Hej!\nRad två", "GSM", {}, false}),
            ReceiveOutcome::kKept);
  EXPECT_EQ(err_.str(),
            "Connecting...\n"
            "Receipt: Message delivered.  to 0701\n"
            "Receiving: reconnecting in 40 s\n"
            "Received from +46701234567: Hej!\n");
  EXPECT_THAT(book.dir().ReadFile("loggfil.txt"), HasSubstr("\"Received\""));
}

TEST_F(ServeTest, ARunCutShortIsContinuedWithoutAsking) {
  book.dir().WriteFile("tolvmsg.ini", "[Access]\r\nAccessTyp=TCP\r\n");
  sim::SimGateway gateway;
  sim::SimHttpClient client{loop_, gateway};
  MessageLedger gone(loop_);
  gone.Use(&messages);
  gone.SetOwner("p1-2-3");
  std::vector<RunRecipient> club{{"Anna", "0701111111", ""}, {"Bertil", "0702222222", ""}};
  ASSERT_EQ(gone.BeginRun({"group", "Club", "", "TCP", "Hi"}, club), "");
  Program program(Services(loop_, client), store_, serve_host_);
  ASSERT_TRUE(program.Startup(book.Folder(), kServeOption));
  WaitFor(loop_, 5000);
  EXPECT_TRUE(dialogs.boxes().empty());
  EXPECT_THAT(testing::Sent(gateway, "toPhoneNumber"), ElementsAre("0701111111", "0702222222"));
  EXPECT_TRUE(messages.OpenRuns().empty());
}

TEST_F(ServeTest, AStopEndsCleanlyOrLeavesASendInProgressForTheNextStart) {
  Start("");
  int abandoned = 0;
  program_.Window().State().sending = true;
  program_.EndServing([&] { ++abandoned; });
  EXPECT_EQ(abandoned, 1);
  EXPECT_EQ(closed_, 0);
  // Not cancelled: its messages are not ended as such.
  EXPECT_FALSE(program_.Window().State().cancelled);

  program_.Window().State().sending = false;
  program_.EndServing([&] { ++abandoned; });
  EXPECT_EQ(abandoned, 1);
  EXPECT_EQ(closed_, 1);
  // No window was placed, so none is saved.
  EXPECT_THAT(book.dir().ReadFile("tolvmsg.ini"), ::testing::Not(HasSubstr("Xpos")));
}

}  // namespace
}  // namespace tolvane
