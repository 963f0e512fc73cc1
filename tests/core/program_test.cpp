#include "core/program.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <tuple>

#include "core/display_environment.h"
#include "core/program_location.h"
#include "core/program_options.h"
#include "core/serve_host.h"
#include "core/settings_file.h"
#include "platform/sqlite_phone_book_store.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "support/quick_message_files.h"
#include "support/scenarios.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using ::testing::_;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Return;

class ProgramTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  std::string Ini() const { return book.dir().ReadFile("tolvmsg.ini"); }
  void WriteIni(const std::string& content) { book.dir().WriteFile("tolvmsg.ini", content); }
  // Starts `run` on `order`, runs `started`, and waits until it closes its window.
  void RunOrder(Program& run, const std::string& order, std::function<void()> started = {}) {
    bool closed = false;
    EXPECT_CALL(host, CloseMainWindow()).WillOnce([&] {
      closed = true;
      run.Shutdown({0, 0, 0});
    });
    ASSERT_TRUE(run.Startup(book.Folder(), order));
    if (started) started();
    WaitUntil(loop_, [&] { return closed; });
    ::testing::Mock::VerifyAndClearExpectations(&host);
  }
  // A group run to Club (Anna 0701111111, Bertil 0702222222) that a program
  // ending abruptly cut short before anything went.
  void LeaveRunCutShort(MessageLedger& gone) {
    gone.Use(&messages);
    gone.SetOwner("p1-2-3");
    std::vector<RunRecipient> club{{"Anna", "0701111111", ""}, {"Bertil", "0702222222", ""}};
    ASSERT_EQ(gone.BeginRun({"group", "Club", "", "TCP", "Hi"}, club), "");
  }

  sim::SimEventLoop loop_;
  SqlitePhoneBookStore store_;
  Program program_{Services(loop_), store_, host};
};

TEST_F(ProgramTest, MissingPhoneBookShowsOneBoxAndTouchesNothing) {
  testing::TempDir empty;
  EXPECT_FALSE(program_.Startup(empty.Folder(), ""));
  EXPECT_THAT(dialogs.Texts(), ElementsAre("Can´t find TELEDATA.MDB, reinstall the program!"));
  EXPECT_EQ(dialogs.boxes()[0].title, "Missing file!");
  EXPECT_TRUE(std::filesystem::is_empty(empty.path()));
}

TEST_F(ProgramTest, InstalledProgramWorksInTheUserFolderAndOpensTheInstalledManual) {
  // The program in bin/ beside an installed folder that holds the phone book.
  testing::TempDir home;
  ProgramLocation location =
      ProgramLocation::Choose(book.Folder() + "bin/tolvane", "../", home.Folder() + "Tolvane/");
  ASSERT_TRUE(location.Prepare());
  EXPECT_EQ(location.InstalledFolder(), book.Folder());
  // The user's folder and phone book are the user's alone.
  EXPECT_EQ(fs::status(home.path() / "Tolvane").permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(home.path() / "Tolvane/teledata.mdb").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(program_.Startup(location, ""));
  EXPECT_EQ(program_.Settings().ProgramFolder, home.Folder() + "Tolvane/");

  EXPECT_CALL(help, ShowContents(book.Folder() + "tolvmsg.html")).WillOnce(Return(true));
  program_.Window().ShowHelpTopics();
  program_.Shutdown({0, 10, 20});
  EXPECT_NE(home.ReadFile("Tolvane/tolvmsg.ini").find("Xpos"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(book.dir().path() / "tolvmsg.ini"));

  // The user's own phone book is never replaced by the installed one.
  const std::string installed = book.dir().ReadFile("teledata.mdb");
  home.WriteFile("Tolvane/teledata.mdb", "Anna and Bo");
  ASSERT_TRUE(location.Prepare());
  EXPECT_EQ(home.ReadFile("Tolvane/teledata.mdb"), "Anna and Bo");
  EXPECT_EQ(book.dir().ReadFile("teledata.mdb"), installed);
}

TEST_F(ProgramTest, StartsWithThePortSetTheRecipientListAndTheQuickMessages) {
  book.Add("Anna", "070-111");
  book.Add("Bo", "070-222");
  book.dir().WriteFile("Meddelnd.Dat", testing::QuickMessageRecords({"Home at six", "Call me"}));
  // Good port settings reach the port without a box.
  WriteIni("[Modem]\nPort= 3\nBaud=9600\nParametrar=e,7,1.5\n");
  EXPECT_CALL(serial, SetCommPort(3));
  EXPECT_CALL(serial, SetSettings("9600,e,7,1.5"));
  ASSERT_TRUE(program_.Startup(book.Folder(), ""));
  EXPECT_TRUE(dialogs.boxes().empty());
  MainWindow& window = program_.Window();
  EXPECT_THAT(window.List(MainList::kRecipients).items, ElementsAre("Anna", "Bo"));
  ASSERT_EQ(window.QuickMessages().Count(), 2);
  EXPECT_EQ(window.QuickMessages().Message(1), "Home at six");
}

TEST_F(ProgramTest, AutoDefSwitchesAutosendingOnExceptForACommandLineRun) {
  // The folder defaults to "outfiles" in the program folder, which need not exist.
  WriteIni("[Auto]\nAutoDef=1\nAutoTyp=1\n");
  ASSERT_TRUE(program_.Startup(book.Folder(), ""));
  EXPECT_THAT(dialogs.Texts(),
              ElementsAre("The folder " + book.Folder() + "outfiles does not exist"));
  EXPECT_FALSE(program_.Window().Control(MainControl::kAutosending).checked);

  Program program{Services(loop_), store_, host};
  WriteIni("[Auto]\nAutoDef=1\nAutoTyp=1\nAutoFil=/out\n");
  files.MakeFolder("/out");
  ASSERT_TRUE(program.Startup(book.Folder(), ""));
  MainWindow& window = program.Window();
  EXPECT_TRUE(window.Control(MainControl::kAutosending).checked);
  EXPECT_FALSE(window.Control(MainControl::kSend).enabled);
  // An empty folder: one pass, and the window is free again.
  WaitFor(loop_, 1000);
  EXPECT_EQ(window.Control(MainControl::kReceiptLine).text, "No files to send!");
  EXPECT_FALSE(window.Control(MainControl::kAutosending).checked);

  Program order_run{Services(loop_), store_, host};
  ASSERT_TRUE(order_run.Startup(book.Folder(), "N//0701//Hi"));
  EXPECT_FALSE(order_run.Window().Control(MainControl::kAutosending).checked);
}

// Names that another tool left differing only in letter case are reported
// in one box.
TEST_F(ProgramTest, StartupErrorsShowABoxEachAndStartupGoesOn) {
  book.Add("Anna", "070-111");
  sqlite3* raw = nullptr;
  sqlite3_open(book.dir().FilePath("teledata.mdb").c_str(), &raw);
  EXPECT_EQ(sqlite3_exec(raw,
                         "INSERT INTO Telelist (Namn, Telenummer) VALUES ('ANNA', '1'), ('bo', "
                         "'2'), ('Bo', '3')",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);
  std::filesystem::create_directory(book.dir().path() / "meddelnd.dat");
  WriteIni("[TCP]\nTCPProxy=abc\n[Modem]\nPort=COM3\nBaud=fast\n");
  EXPECT_CALL(serial, SetCommPort(_)).Times(0);
  EXPECT_CALL(serial, SetSettings(_)).Times(0);
  ASSERT_TRUE(program_.Startup(book.Folder(), ""));
  // The names, the quick messages, the settings, the port and its line.
  EXPECT_THAT(dialogs.Texts(), ElementsAre(HasSubstr("differ only in letter case"), "Error: 75",
                                           "Error: 13", "Error: 8002", "Error: 380"));
  EXPECT_EQ(dialogs.boxes().front(),
            (testing::FakeDialogs::Box{
                "These names differ only in letter case:\r\n\"bo\" and \"Bo\" in "
                "Telelist\r\n\"Anna\" and \"ANNA\" in Telelist\r\nRename or delete one of "
                "each pair.",
                "Duplicate name!", MessageIcon::kExclamation, MessageButtons::kOk}));
  EXPECT_EQ(program_.Window().QuickMessages().Count(), 0);
  // Start-up went on to its last step.
  EXPECT_THAT(program_.Window().List(MainList::kRecipients).items,
              ElementsAre("Anna", "ANNA", "bo", "Bo"));
}

TEST_F(ProgramTest, CommandLineRunLocksComposeThenSendsAndClosesLeavingThePlaceAlone) {
  WriteIni("[WinPosition]\nStatus= 2\n");
  book.dir().WriteFile("netsend.kvt", "leftover");
  RunOrder(program_, "N//0701234567", [this] {
    EXPECT_FALSE(program_.Window().PlacementToRestore().has_value());
    EXPECT_FALSE(program_.Window().Control(MainControl::kMessageBox).enabled);
  });
  // Three seconds to start, three more before closing.
  EXPECT_EQ(loop_.Elapsed(), milliseconds(6000));
  EXPECT_FALSE(std::filesystem::exists(book.dir().FilePath("netsend.kvt")));
  EXPECT_EQ(program_.ExitStatus(), kExitBadOrder);
  EXPECT_EQ(Ini(), "[WinPosition]\nStatus= 2\n");

  // A run closed before its order was sent has failed.
  Program early{Services(loop_), store_, host};
  ASSERT_TRUE(early.Startup(book.Folder(), "N//0701234567//Hello"));
  loop_.RunFor(milliseconds(1000));
  early.Shutdown({0, 0, 0});
  EXPECT_EQ(early.ExitStatus(), kExitFailed);
}

// A group run and an autosend file's run that a program ending abruptly cut
// short: the window asks about the one and autosending continues the other
// (the file then goes, and no pass sends it again); `--resume` leaves runs
// a living program owns and continues the rest.
TEST_F(ProgramTest, RunsCutShortAreAskedAboutContinuedByAutosendingAndByResume) {
  WriteIni("[Access]\nAccessTyp=TCP\n[Auto]\nAutoDef=1\nAutoTyp=1\nAutoFil=/out\nAutoTabort=1\n");
  files.MakeFolder("/out");
  files.Write("/out/a.txt", "Hej");
  sim::SimGateway gateway;
  sim::SimHttpClient client{loop_, gateway};
  MessageLedger gone(loop_);
  LeaveRunCutShort(gone);
  std::vector<RunRecipient> file{{"Cecilia", "0703333333", ""}};
  ASSERT_EQ(gone.BeginRun({"single", "", "/out/a.txt", "TCP", "Hej"}, file), "");

  auto window_run = std::make_unique<Program>(Services(loop_, client), store_, host);
  ASSERT_TRUE(window_run->Startup(book.Folder(), ""));
  WaitFor(loop_, 5000);
  EXPECT_THAT(dialogs.Texts(), ElementsAre("A run to the group Club was cut short: 0 of 2 sent."));
  EXPECT_THAT(testing::Sent(gateway, "toPhoneNumber"), ElementsAre("0703333333"));
  EXPECT_FALSE(files.Exists("/out/a.txt"));

  for (const bool window_lives : {true, false}) {
    if (!window_lives) window_run.reset();
    Program resume{Services(loop_, client), store_, host};
    RunOrder(resume, "--resume");
    EXPECT_EQ(resume.ExitStatus(), kExitAccepted);
    EXPECT_EQ(gateway.Requests().size(), window_lives ? 1u : 3u);
  }
  EXPECT_THAT(testing::Sent(gateway, "toPhoneNumber"),
              ElementsAre("0703333333", "0701111111", "0702222222"));
  EXPECT_TRUE(messages.OpenRuns().empty());
}

// Serving without a window: what it starts by itself, what it reports on
// standard error, and how a stop signal ends it.
class ServeTest : public ProgramTest {
 protected:
  void Start(const std::string& ini) {
    WriteIni(ini);
    files.MakeFolder("/outbox");
    ASSERT_TRUE(serving_.Startup(book.Folder(), kServeOption));
    serve_host_.Watch(serving_.Window());
    loop_.RunFor(milliseconds(10));
  }

  std::ostringstream err_;
  int closed_ = 0;
  ServeHost serve_host_{err_, [this] { ++closed_; }};
  Program serving_{Services(loop_), store_, serve_host_};
};

TEST_F(ServeTest, StartsAutosendingAndMailCheckingAsTheSettingsAskWithoutAWindow) {
  // The settings; autosending and mail checking started.
  const std::tuple<std::string, bool, bool> cases[] = {
      {"[Auto]\r\nAutoDef=1\r\nAutoFil=/outbox\r\n", true, false},
      // A server without a check time, and a time without a server, check nothing.
      {"[Mail]\r\nMailServer=pop.example.org\r\n", false, false},
      {"[Mail]\r\nMailTid1=08:00\r\n", false, false},
      {"[Auto]\r\nAutoDef=1\r\nAutoFil=/outbox\r\n[RAS]\r\nRasY/N=1\r\n[Mail]\r\n"
       "MailServer=pop.example.org\r\nMailTid1=08:00\r\n",
       true, true},
  };
  for (const auto& [ini, autosending, mail_checking] : cases) {
    SCOPED_TRACE(ini);
    Program program(Services(loop_), store_, serve_host_);
    WriteIni(ini);
    files.MakeFolder("/outbox");
    ASSERT_TRUE(program.Startup(book.Folder(), kServeOption));
    loop_.RunFor(milliseconds(10));
    EXPECT_EQ(program.Window().Control(MainControl::kAutosending).checked, autosending);
    EXPECT_EQ(program.Window().Control(MainControl::kMailchecking).checked, mail_checking);
    EXPECT_TRUE(dialogs.boxes().empty());
    program.EndServing([] { FAIL() << "nothing was sending"; });
  }
}

TEST_F(ServeTest, ReportsStatusReceiptReceivingAndEachMessageReceivedOnOneLineEach) {
  Start("[Modem]\r\nLogg=1\r\n");
  MainWindow& window = serving_.Window();
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
}

TEST_F(ServeTest, ARunCutShortIsContinuedWithoutAsking) {
  WriteIni("[Access]\r\nAccessTyp=TCP\r\n");
  sim::SimGateway gateway;
  sim::SimHttpClient client{loop_, gateway};
  MessageLedger gone(loop_);
  LeaveRunCutShort(gone);
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
  serving_.Window().State().sending = true;
  serving_.EndServing([&] { ++abandoned; });
  EXPECT_EQ(abandoned, 1);
  EXPECT_EQ(closed_, 0);
  // Not cancelled: its messages are not ended as such.
  EXPECT_FALSE(serving_.Window().State().cancelled);

  serving_.Window().State().sending = false;
  serving_.EndServing([&] { ++abandoned; });
  EXPECT_EQ(abandoned, 1);
  EXPECT_EQ(closed_, 1);
  // No window was placed, so none is saved.
  EXPECT_THAT(Ini(), ::testing::Not(HasSubstr("Xpos")));
}

TEST(QtPlatformChoiceTest, FallsBackToNoWindowUnlessAPlatformIsChosen) {
  using Variables = std::map<std::string, std::string>;
  const std::pair<Variables, std::string> cases[] = {
      {{}, "offscreen"},
      // A display that nobody serves gives way to running without a window.
      {{{"DISPLAY", ":99"}}, "xcb;offscreen"},
      {{{"WAYLAND_DISPLAY", "wayland-0"}}, "wayland;offscreen"},
      {{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}}, "wayland;xcb;offscreen"},
      // A platform chosen by hand is never overridden, even one that needs a display.
      {{{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":99"}}, ""},
  };
  for (const auto& c : cases) {
    const Variables& variables = c.first;
    EXPECT_EQ(QtPlatformChoice([&variables](const char* name) -> const char* {
                auto found = variables.find(name);
                return found == variables.end() ? nullptr : found->second.c_str();
              }),
              c.second);
  }
}

TEST(ReadProgramCommandTest, OnlyAFirstArgumentShapedLikeAnOptionIsOne) {
  using Command = ProgramCommand;
  const std::pair<std::vector<std::string>, Command> cases[] = {
      {{}, Command::kRun},
      {{"-h", "N//0701//Hi"}, Command::kHelp},
      {{"--store-secret", "gateway"}, Command::kStoreSecret},
      {{"--dry-run"}, Command::kUnknownOption},
      {{"--resume"}, Command::kResume},
      {{"--resume", "N//0701//Hi"}, Command::kUnknownOption},
      {{"--serve"}, Command::kServe},
      // The contacts command reads its own arguments and refuses wrong ones.
      {{"--import", "a.csv", "--group", "Kör"}, Command::kContacts},
      // Orders, whatever they hold, and options further on are message text.
      {{"N//0701234567//Hello"}, Command::kRun},
      {{"--a--b--c"}, Command::kRun},
      {{"N//0701//Read", "--help"}, Command::kRun},
      {{"-"}, Command::kRun},
  };
  for (const auto& [arguments, command] : cases) {
    EXPECT_EQ(ReadProgramCommand(arguments), command) << ::testing::PrintToString(arguments);
  }
  // (The secrets' names and the first line are the store command's and every program's.)
  EXPECT_THAT(
      ProgramUsage(ProgramTransports()),
      ::testing::AllOf(::testing::HasSubstr("--resume "), ::testing::HasSubstr("--serve "),
                       ::testing::HasSubstr("--import FILE"), ::testing::HasSubstr("--export FILE"),
                       ::testing::HasSubstr("N//0701234567//Hello")));
}

}  // namespace
}  // namespace tolvane
