#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/sim_event_loop.h"
#include "support/window_peripherals.h"

namespace tolvane {
namespace {

using ::testing::_;
using ::testing::ElementsAre;
using ::testing::Return;

// The compose rules stop a send before any transport is reached, so the
// transports' ports are inert mocks here.
class MainWindowComposeTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  const std::string& Text(MainControl control) const { return window_.Control(control).text; }
  void ShowPeople() {
    window_.SetPhoneBookCursor(&book.cursor());
    window_.RefreshRecipientList();
  }
  void Type(const std::string& text) { testing::TypeMessage(window_, text); }

  sim::SimEventLoop loop_;
  MainWindow window_{settings, Services(loop_), host};
};

TEST_F(MainWindowComposeTest, CountShowsLengthAndTypingStopsAtTheLimit) {
  Type("Hello, world");
  EXPECT_EQ(Text(MainControl::kStatusLine), "12 character in message (Max 160).");
  Type(std::string(170, 'a'));
  EXPECT_EQ(window_.MessageText().size(), 160u);
  window_.OnDoubleToggled(true);
  Type(std::string(400, 'b'));
  EXPECT_EQ(window_.MessageText().size(), 320u);
  EXPECT_EQ(Text(MainControl::kStatusLine), "320 character in message (Max 320).");

  // A line break (CR LF) is taken only whole: it may fill the last two places
  // of either limit, but never leaves a lone CR in the last one.
  for (const size_t limit : {160u, 320u}) {
    window_.OnDoubleToggled(limit == 320u);
    const std::string last_fitting = std::string(limit - 2, 'c') + "\r\n";
    Type(last_fitting + "d");
    EXPECT_EQ(window_.MessageText(), last_fitting);
    Type(std::string(limit - 1, 'c') + "\r\n");
    EXPECT_EQ(window_.MessageText(), std::string(limit - 1, 'c'));
    EXPECT_EQ(
        Text(MainControl::kStatusLine),
        std::to_string(limit - 1) + " character in message (Max " + std::to_string(limit) + ").");
  }
  // SMS has no tab: a pasted one is a blank.
  Type("Name:\tAnna");
  EXPECT_EQ(window_.MessageText(), "Name: Anna");

  // Text the program puts in is counted too, also during a mail check.
  window_.OnDoubleToggled(false);
  window_.SetMessageText("Hello");
  EXPECT_EQ(Text(MainControl::kStatusLine), "5 character in message (Max 160).");
  window_.SetMailCheckRunning(true);
  window_.SetMessageText("Mail");
  EXPECT_EQ(Text(MainControl::kStatusLine), "5 character in message (Max 160).");
  window_.SetMailCheckRunning(false);

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

TEST_F(MainWindowComposeTest, ToggleDoublePutsSavedTextBack) {
  Type("kept text");
  window_.OnMessageEdited("kept text and more");  // not yet released
  window_.OnDoubleToggled(true);
  EXPECT_EQ(window_.MessageText(), "kept text");
  EXPECT_EQ(window_.FocusRequest(), MainControl::kMessageBox);
}

TEST_F(MainWindowComposeTest, NumbersAndSenderKeepOnlyTheirDigits) {
  settings.Avs = "+46 70-123 45";
  window_.OnTemporaryNumberToggled(true);
  window_.OnNumberEdited("  +46 (70) 123-45 67 ");
  Type("Hi");
  window_.StartSend();
  EXPECT_EQ(window_.State().recipient_number, "46701234567");
  EXPECT_EQ(window_.State().sender_number, "467012345");

  settings.Avs = "none";
  window_.StartSend();
  EXPECT_EQ(window_.State().sender_number, "");
}

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
}

TEST_F(MainWindowComposeTest, ClosingThePhoneBookRefillsTheListButKeepsATypedNumber) {
  book.Add("Anna", "070-111");
  ShowPeople();
  window_.OnTemporaryNumberToggled(true);
  window_.OnNumberEdited("0709 99 88");
  EXPECT_CALL(host, OpenPhoneBook()).WillOnce([this] {
    book.Add("Bo", "070-222");
    window_.RefreshRecipientList();  // what closing the phone book runs
  });
  window_.OpenPhoneBook();
  EXPECT_THAT(window_.List(MainList::kRecipients).items, ElementsAre("Anna", "Bo"));
  EXPECT_EQ(window_.List(MainList::kRecipients).selected, -1);
  EXPECT_EQ(Text(MainControl::kNumberField), "0709 99 88");

  // Opening the settings leaves the list as it is.
  book.Add("Cecilia", "070-333");
  window_.OpenSettings();
  window_.RefreshRecipientList();
  EXPECT_EQ(window_.List(MainList::kRecipients).items.size(), 2u);
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

}  // namespace
}  // namespace tolvane
