// The main window's compose rules: the count and the limit of the message
// box, what it takes of an edit, "&Double", the recipient, and on every path
// that sends the box the part limit of a transport that splits and the
// gateway's character set.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bulk/command_line_sending.h"
#include "bulk/group_sending.h"
#include "core/secret_store.h"
#include "core/settings_loader.h"
#include "sim/sim_dialler.h"
#include "sim/sim_mail_client.h"
#include "sim/sim_smpp_provider.h"
#include "sim/sim_tcp_connection.h"
#include "smpp/smpp_settings.h"
#include "support/scenarios.h"
#include "text/utf8.h"

namespace tolvane::testing {
namespace {

using ::testing::_;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Return;

// The compose rules stop a send before any transport is reached, so the
// transports' ports are inert mocks here.
class MainWindowComposeTest : public ::testing::Test, protected WindowPeripherals {
 protected:
  const std::string& Text(MainControl control) const { return window_.Control(control).text; }
  void ShowPeople() {
    window_.SetPhoneBookCursor(&book.cursor());
    window_.RefreshRecipientList();
  }
  void Type(const std::string& text) { TypeMessage(window_, text); }

  sim::SimEventLoop loop_;
  MainWindow window_{settings, Services(loop_), host};
};

TEST_F(MainWindowComposeTest, TheBoxTakesAnEditAsFarAsItFitsAndNeverCutsWhatWasThere) {
  const std::string a158(158, 'a');
  const struct {
    int limit;
    std::string before;
    std::string after;  // the box after the user's edit
    std::string taken;
  } kEdits[] = {
      {160, "", std::string(170, 'a'), std::string(160, 'a')},
      // New characters only as far as they fit, the text there kept whole.
      {160, std::string(160, 'a'), "x" + std::string(160, 'a'), std::string(160, 'a')},
      {320, std::string(300, 'a'), std::string(400, 'b'), std::string(320, 'b')},
      // A line break (CR LF) fits only whole, even at the last two places.
      {160, a158, a158 + "\r\n", a158 + "\r\n"},
      {160, a158 + "a", "\r\n" + a158 + "a", a158 + "a"},
      {320, std::string(318, 'a'), std::string(318, 'a') + "\r\nd", std::string(318, 'a') + "\r\n"},
      // Deleting from text a program put in past the limit is taken.
      {160, std::string(170, 'a'), std::string(165, 'a'), std::string(165, 'a')},
  };
  for (const auto& edit : kEdits) {
    window_.OnDoubleToggled(edit.limit == 320);
    window_.SetMessageText(edit.before);
    window_.OnMessageEdited(edit.after);
    EXPECT_EQ(window_.MessageText(), edit.taken) << edit.after;
    EXPECT_EQ(window_.State().saved_text, edit.taken);
    EXPECT_EQ(Text(MainControl::kStatusLine), std::to_string(Utf8Length(edit.taken)) +
                                                  " character in message (Max " +
                                                  std::to_string(edit.limit) + ").");
    EXPECT_FALSE(window_.Control(MainControl::kStatusLine).warning);
  }

  // Text the program puts in is counted too, also during a mail check.
  window_.OnDoubleToggled(false);
  window_.SetMessageText("Hello");
  EXPECT_EQ(Text(MainControl::kStatusLine), "5 character in message (Max 160).");
  window_.SetMailCheckRunning(true);
  window_.SetMessageText("Mail");
  EXPECT_EQ(Text(MainControl::kStatusLine), "5 character in message (Max 160).");
  window_.SetMailCheckRunning(false);

  // Toggling "&Double" puts back the user's text, however it was changed
  // last, and not what a program put in (choosing a recipient: the window's
  // own test).
  Type("typed");
  window_.Paste(5, 0);  // an empty clipboard pastes nothing
  window_.OnMessageEdited("typed and pasted");
  window_.SetMessageText("put in by a program");
  window_.OnDoubleToggled(true);
  EXPECT_EQ(window_.MessageText(), "typed and pasted");
  EXPECT_EQ(window_.FocusRequest(), MainControl::kMessageBox);
  window_.NewMessage();
  EXPECT_EQ(window_.State().saved_text, "");
}

TEST_F(MainWindowComposeTest, SendsThatBreakTheRulesAreRefusedBeforeAnyTransport) {
  int focus_before = window_.FocusRequestCount();
  window_.StartSend();  // an empty message only takes the focus
  EXPECT_EQ(Text(MainControl::kReceiptLine), "");
  EXPECT_GT(window_.FocusRequestCount(), focus_before);
  Type("Hi");
  window_.StartSend();
  EXPECT_EQ(Text(MainControl::kReceiptLine), "No recipient!");

  window_.OnTemporaryNumberToggled(true);
  window_.OnNumberEdited("0701");
  window_.SetMessageText(std::string(161, 'x'));  // as a program puts it in
  window_.StartSend();
  EXPECT_EQ(Text(MainControl::kReceiptLine), "Message exceeds 160 character, check Double!");

  window_.OnDoubleToggled(true);
  Type(std::string(160, 'x'));
  window_.StartSend();
  EXPECT_EQ(Text(MainControl::kReceiptLine),
            "Message doesn´t exceed 160 character, uncheck Double!");
  EXPECT_FALSE(window_.State().attempted);
}

// Numbers keep only their digits (the sender's too: the modem's frames show it).
TEST_F(MainWindowComposeTest, TheChosenPersonOrATemporaryNumberIsTheRecipient) {
  book.Add("Anna", "070-111");
  book.Add("Bo", "070-222");
  ShowPeople();
  EXPECT_EQ(window_.List(MainList::kRecipients).selected, 0);
  window_.OnRecipientChosen(1);
  EXPECT_EQ(Text(MainControl::kNumberField), "070-222");
  // The send goes to the chosen person wherever the shared cursor stands.
  book.cursor().MoveFirst();  // as the phone-book window may leave it
  Type("Hi");
  window_.StartSend();
  EXPECT_EQ(window_.State().recipient_name, "Bo");
  EXPECT_EQ(window_.State().recipient_number, "070222");

  window_.OnTemporaryNumberToggled(true);
  EXPECT_FALSE(window_.List(MainList::kRecipients).visible);
  EXPECT_EQ(Text(MainControl::kNumberField), "");
  window_.OnTemporaryNumberToggled(false);
  EXPECT_EQ(Text(MainControl::kNumberField), "070-222");

  window_.OnTemporaryNumberToggled(true);
  window_.OnNumberEdited("  +46 (70) 123-45 67 ");
  window_.StartSend();
  EXPECT_EQ(window_.State().recipient_number, "46701234567");

  // Closing the phone book refills the list but keeps a typed number.
  EXPECT_CALL(host, OpenPhoneBook()).WillOnce([this] {
    book.Add("Cecilia", "070-333");
    window_.RefreshRecipientList();  // what closing the phone book runs
  });
  window_.OpenPhoneBook();
  EXPECT_THAT(window_.List(MainList::kRecipients).items, ElementsAre("Anna", "Bo", "Cecilia"));
  EXPECT_EQ(window_.List(MainList::kRecipients).selected, -1);
  EXPECT_EQ(Text(MainControl::kNumberField), "  +46 (70) 123-45 67 ");
  // Opening the settings leaves the list as it is.
  book.Add("David", "070-444");
  window_.OpenSettings();
  window_.RefreshRecipientList();
  EXPECT_EQ(window_.List(MainList::kRecipients).items.size(), 3u);
}

TEST_F(MainWindowComposeTest, EditMenuFollowsSelectionAndClipboardAndHelpMaybeMissing) {
  Type("Hello world");
  window_.OnEditMenuOpening(false);
  EXPECT_FALSE(window_.Control(MainControl::kMenuCut).enabled);
  EXPECT_FALSE(window_.Control(MainControl::kMenuPaste).enabled);
  window_.Cut(0, 6);
  EXPECT_EQ(window_.MessageText(), "world");
  window_.OnEditMenuOpening(true);
  EXPECT_TRUE(window_.Control(MainControl::kMenuCopy).enabled);
  EXPECT_TRUE(window_.Control(MainControl::kMenuPaste).enabled);
  window_.Paste(5, 0);
  EXPECT_EQ(window_.MessageText(), "worldHello ");

  EXPECT_CALL(help, ShowContents(_)).WillOnce(Return(false));
  window_.ShowHelpTopics();
  EXPECT_THAT(dialogs.Texts(), ElementsAre("Can´t find the helpfile"));
}

// With a transport that splits, against the simulated SMPP provider: the box
// takes whatever is typed or pasted and counts as a phone does, and every
// path that sends the box refuses more than `[Message] MaxParts` parts before
// anything is connected, and sends exactly that many. The same paths over the
// simulated gateway.
class SplittingComposeTest : public WindowScenario {
 protected:
  SplittingComposeTest() {
    settings.AccessTyp = "SMPP";
    settings.transports.Get<SmppSettings>().Host = "smpp.example.net";
    settings.transports.Get<SmppSettings>().SystemId = "tolvane";
    settings.MailServer = "pop.example.com";
    settings.RasYN = "1";  // the mail server is reached without dialling
    ComputeDerivedFields(settings);
    EXPECT_TRUE(SecretStore(settings.ProgramFolder).WriteSecret(kSmppSecret, "secret"));
    smpp_connection = &connection;
    window = std::make_unique<MainWindow>(
        settings, Services(loop, serial, http_client, mail_client, dial_up), host);
    history.Follow(*window, loop);
    window->ConfigureTransports();
  }
  ~SplittingComposeTest() override { window.reset(); }

  void UseTemporaryNumber() {
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("0701");
  }
  const ControlState& Status() const { return window->Control(MainControl::kStatusLine); }
  size_t Submitted() const { return provider.Submissions().size(); }
  struct Path {
    const char* name;
    size_t recipients;
    size_t added;  // characters the path puts around the text it is given
    std::function<void(const std::string&)> send;
  };
  // Every path that sends the box's text, each from the temporary number
  // 0701 and with a group Vänner of one member.
  std::vector<Path> Paths() {
    settings.AutoFil = "/out";
    settings.AutoTyp = "1";
    settings.AutoTabort = "1";
    files.MakeFolder("/out");
    window->SetPhoneBookStore(&book.store());
    window->SetPhoneBookCursor(&book.cursor());
    book.AddToGroup("Vänner", "Anna", "0702");
    auto order = [this](const std::string& order) {
      window->SetCommandLineMode(true);
      CommandLineSending(*window).ArgSandning(order);
      window->SetCommandLineMode(false);
    };
    return {
        {"Send", 1, 0,
         [this](const std::string& text) {
           TypeMessage(*window, text);
           window->StartSend();
         }},
        {"Send to Group", 1, 0,
         [this](const std::string& text) {
           window->OnGroupSendingToggled();
           TypeMessage(*window, text);
           window->Groups().SendToGroup();
           window->OnGroupSendingToggled();
         }},
        {"order to a number", 1, 0,
         [order](const std::string& text) { order("N//0703//" + text); }},
        {"order to a list", 2, 0,
         [order](const std::string& text) { order("N//0703,0704//" + text); }},
        {"order to a group", 1, 0,
         [order](const std::string& text) { order("G//Vänner//" + text); }},
        {"autosend file", 1, 0,
         [this](const std::string& text) {
           files.Write("/out/a.txt", text);
           window->OnAutosendingClicked(true);
           WaitUntil(loop, [this] { return !window->Control(MainControl::kAutosending).checked; });
         }},
        // The summary is "1 mail waiting. ", the mail and a blank.
        {"mail forward", 1, 17,
         [this](const std::string& text) {
           mailbox.messages = {text};
           window->Mail().CheckNow();
           loop.RunFor(std::chrono::minutes(2));
         }},
    };
  }

  sim::SimSmppProvider provider{Schedule(loop)};
  sim::SimTcpConnection connection{loop, provider};
  sim::SimGateway gateway;
  sim::SimHttpClient http_client{loop, gateway};
  sim::SimMailbox mailbox;
  sim::SimMailClient mail_client{loop, mailbox};
  sim::SimDialler dial_up{loop};
};

std::string Repeat(const std::string& text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i) repeated += text;
  return repeated;
}

// The counter counts as a phone does, and "&Double" is not needed.
TEST_F(SplittingComposeTest, NothingTypedIsCutAndSendRefusesMorePartsThanTheLimit) {
  const ControlState& double_box = window->Control(MainControl::kDouble);
  EXPECT_FALSE(double_box.enabled);
  EXPECT_FALSE(double_box.checked);
  EXPECT_EQ(window->Control(MainControl::kMessageBox).max_length, 0);
  UseTemporaryNumber();
  const std::string a600(600, 'a');
  const struct {
    int max_parts;
    std::string before;
    std::string typed;  // the box after the user's edit
    std::string counter;
    size_t parts;  // sent, or 0 when Send refuses
  } kCases[] = {
      {6, "", Repeat("Ж", 87), "47 left · 2 SMS · Unicode", 2},
      {6, "", std::string(918, 'a'), "0 left · 6 SMS", 6},
      {6, std::string(918, 'a'), std::string(919, 'a'), "7 SMS, over the limit of 6", 0},
      // An emoji typed at the start of 600 letters makes all of it UCS-2.
      {6, a600, "😀" + a600, "9 SMS, over the limit of 6 · Unicode", 0},
      // A line break at the limit stays whole.
      {6, std::string(917, 'a'), std::string(917, 'a') + "\r\n", "7 SMS, over the limit of 6", 0},
      {1, "", std::string(160, 'a'), "0 left · 1 SMS", 1},
      {1, "", std::string(161, 'a'), "2 SMS, over the limit of 1", 0},
      {255, "", std::string(255 * 153, 'a'), "0 left · 255 SMS", 255},
      {255, "", std::string(255 * 153 + 1, 'a'), "256 SMS, over the limit of 255", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.counter);
    settings.MaxParts = c.max_parts;
    window->SetMessageText(c.before);
    window->OnMessageEdited(c.typed);
    EXPECT_EQ(window->MessageText(), c.typed);
    EXPECT_EQ(Status().text, c.counter);
    EXPECT_EQ(Status().warning, c.parts == 0);
    const size_t submitted = Submitted();
    const int connections = provider.Connections();
    window->StartSend();
    EXPECT_EQ(Submitted() - submitted, c.parts);
    if (c.parts == 0) {
      const size_t parts = c.counter.find(' ');
      EXPECT_EQ(Receipt(), "Message too long: " + c.counter.substr(0, parts) + " parts, at most " +
                               std::to_string(c.max_parts));
      EXPECT_EQ(provider.Connections(), connections);
      EXPECT_EQ(window->MessageText(), c.typed);
    }
  }
}

// Each path refuses past the part limit before anything is connected, and
// sends exactly that many. The gateway gets text in Windows-1252, as it
// always did, and a character that has no place there is refused before
// anything is sent; a forwarded mail's summary goes with "?" in its place.
TEST_F(SplittingComposeTest, EveryPathKeepsThePartLimitAndTheGatewaysCharacterSet) {
  constexpr char kTooLong[] = "Message too long: 2 parts, at most 1";
  constexpr char kUncarriable[] = "The message holds a character this connection cannot carry: 😀";
  settings.MaxParts = 1;
  for (const Path& path : Paths()) {
    SCOPED_TRACE(path.name);
    settings.AccessTyp = "SMPP";
    window->ConfigureTransports();
    UseTemporaryNumber();  // an order to a number unchecks it
    size_t submitted = Submitted();
    path.send(std::string(160 - path.added, 'a'));
    EXPECT_EQ(Submitted() - submitted, path.recipients);
    submitted = Submitted();
    const int connections = provider.Connections();
    int refusals = receipts.Count(kTooLong);
    path.send(std::string(161 - path.added, 'a'));
    EXPECT_EQ(receipts.Count(kTooLong), refusals + 1);
    EXPECT_EQ(Submitted(), submitted);
    EXPECT_EQ(provider.Connections(), connections);

    settings.AccessTyp = "TCP";
    window->ConfigureTransports();
    UseTemporaryNumber();
    const size_t sent = gateway.Requests().size();
    path.send("Grüße €");
    ASSERT_EQ(gateway.Requests().size() - sent, path.recipients);
    EXPECT_THAT(gateway.Requests().back().Field("message"), HasSubstr("Gr\xFC\xDF"
                                                                      "e \x80"));
    refusals = receipts.Count(kUncarriable);
    path.send("Hej 😀");
    if (path.added > 0) {
      EXPECT_EQ(gateway.Requests().back().Field("message"), "1 mail waiting. Hej ? ");
      continue;
    }
    EXPECT_EQ(receipts.Count(kUncarriable), refusals + 1);
    EXPECT_EQ(gateway.Requests().size(), sent + path.recipients);
  }
}

}  // namespace
}  // namespace tolvane::testing
