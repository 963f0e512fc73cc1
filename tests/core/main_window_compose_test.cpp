#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/main_window.h"
#include "sim/sim_event_loop.h"
#include "support/fake_dialogs.h"
#include "support/platform_mocks.h"
#include "support/test_phone_book.h"

namespace tolvane {
namespace {

using ::testing::_;
using ::testing::ElementsAre;
using ::testing::NiceMock;
using ::testing::Return;
using testing::MemoryClipboard;
using testing::FakeDialogs;
using testing::MockHelpViewer;
using testing::MockHttpClient;
using testing::MockMainWindowHost;
using testing::MockSerialPort;

// The compose rules stop a send before any transport is reached, so the
// transports' ports are inert mocks here.
class MainWindowComposeTest : public ::testing::Test {
 protected:
  MainWindow& Window() { return window_; }
  std::string Status() const { return window_.Control(MainControl::kStatusLine).text; }
  std::string Receipt() const { return window_.Control(MainControl::kReceiptLine).text; }
  void ShowPeople() {
    window_.SetPhoneBookCursor(&phone_book_.cursor());
    window_.RefreshRecipientList();
  }
  void Type(const std::string& text) {
    window_.OnMessageEdited(text);
    window_.OnMessageKeyReleased();
  }

  testing::TestPhoneBook phone_book_;
  ProgramSettings settings_;
  sim::SimEventLoop loop_;
  NiceMock<MockSerialPort> serial_;
  NiceMock<MockHttpClient> http_;
  FakeDialogs dialogs_;
  MemoryClipboard clipboard_;
  NiceMock<MockHelpViewer> help_;
  NiceMock<MockMainWindowHost> host_;
  MainWindow window_{settings_, {loop_, serial_, http_, dialogs_, clipboard_, help_}, host_};
};

TEST_F(MainWindowComposeTest, CountShowsLengthAndLimit) {
  Type("Hello, world");
  EXPECT_EQ(Status(), "12 character in message (Max 160).");
  Window().OnDoubleToggled(true);
  EXPECT_EQ(Status(), "12 character in message (Max 320).");
  EXPECT_EQ(Window().Control(MainControl::kMessageBox).max_length, 320);
}

TEST_F(MainWindowComposeTest, TypingStopsAtTheLimit) {
  Type(std::string(170, 'a'));
  EXPECT_EQ(Window().MessageText().size(), 160u);
  Window().OnDoubleToggled(true);
  Type(std::string(400, 'b'));
  EXPECT_EQ(Window().MessageText().size(), 320u);
  EXPECT_EQ(Status(), "320 character in message (Max 320).");
}

TEST_F(MainWindowComposeTest, DoubleIsRefusedAtExactly160Characters) {
  phone_book_.Add("Anna", "0701234567");
  ShowPeople();
  Window().OnDoubleToggled(true);
  Type(std::string(160, 'x'));
  Window().StartSend();
  EXPECT_EQ(Receipt(), "Message doesn\xB4t exceed 160 character, uncheck Double!");
  EXPECT_FALSE(Window().State().sending);
  EXPECT_FALSE(Window().State().attempted);
  EXPECT_TRUE(Window().Control(MainControl::kSend).enabled);
}

TEST_F(MainWindowComposeTest, DoubleIsRefusedWhileGroupPanelIsOpen) {
  Window().OnGroupSendingToggled();
  Window().OnDoubleToggled(true);
  ASSERT_EQ(dialogs_.boxes().size(), 1u);
  EXPECT_EQ(dialogs_.boxes()[0].title, "Not double");
  EXPECT_EQ(dialogs_.boxes()[0].icon, MessageIcon::kInformation);
  EXPECT_THAT(dialogs_.Texts(), ElementsAre("Double message not allowed for groupsending"));
  EXPECT_FALSE(Window().Control(MainControl::kDouble).checked);
  EXPECT_FALSE(Window().State().double_message);
}

TEST_F(MainWindowComposeTest, ToggleDoublePutsSavedTextBack) {
  Type("kept text");
  Window().OnMessageEdited("kept text and more");  // not yet released
  Window().OnDoubleToggled(true);
  EXPECT_EQ(Window().MessageText(), "kept text");
  EXPECT_EQ(Window().FocusRequest(), MainControl::kMessageBox);
}

TEST_F(MainWindowComposeTest, NoRecipientRefusesTheSend) {
  Type("Hi");
  Window().StartSend();
  EXPECT_EQ(Receipt(), "No recipient!");
  EXPECT_FALSE(Window().State().sending);
  EXPECT_TRUE(Window().Control(MainControl::kSend).enabled);
}

TEST_F(MainWindowComposeTest, EmptyMessageDoesNothingButFocus) {
  phone_book_.Add("Anna", "0701234567");
  ShowPeople();
  int focus_before = Window().FocusRequestCount();
  Window().StartSend();
  EXPECT_EQ(Receipt(), "");
  EXPECT_FALSE(Window().State().sending);
  EXPECT_GT(Window().FocusRequestCount(), focus_before);
}

TEST_F(MainWindowComposeTest, NumbersAndSenderKeepOnlyTheirDigits) {
  settings_.Avs = "+46 70-123 45";
  Window().OnTemporaryNumberToggled(true);
  Window().OnNumberEdited("  +46 (70) 123-45 67 ");
  Type("Hi");
  Window().StartSend();
  EXPECT_EQ(Window().State().recipient_number, "46701234567");
  EXPECT_EQ(Window().State().sender_number, "467012345");
  EXPECT_EQ(Window().State().recipient_name, "Temporary number");

  settings_.Avs = "none";
  Window().StartSend();
  EXPECT_EQ(Window().State().sender_number, "");
}

TEST_F(MainWindowComposeTest, ChoosingARecipientShowsTheNumber) {
  phone_book_.Add("Anna", "070-111");
  phone_book_.Add("Bo", "070-222");
  ShowPeople();
  EXPECT_EQ(Window().List(MainList::kRecipients).selected, 0);
  Window().OnRecipientChosen(1);
  EXPECT_EQ(Window().Control(MainControl::kNumberField).text, "070-222");
  EXPECT_FALSE(Window().Control(MainControl::kNumberField).enabled);
}

TEST_F(MainWindowComposeTest, TemporaryNumberHidesTheListAndFreesTheField) {
  phone_book_.Add("Anna", "070-111");
  ShowPeople();
  Window().OnTemporaryNumberToggled(true);
  EXPECT_FALSE(Window().List(MainList::kRecipients).visible);
  EXPECT_FALSE(Window().Control(MainControl::kGroupSending).enabled);
  EXPECT_TRUE(Window().Control(MainControl::kNumberField).enabled);
  EXPECT_EQ(Window().Control(MainControl::kNumberField).text, "");
  EXPECT_EQ(Window().FocusRequest(), MainControl::kNumberField);
  Window().OnTemporaryNumberToggled(false);
  EXPECT_TRUE(Window().List(MainList::kRecipients).visible);
  EXPECT_EQ(Window().Control(MainControl::kNumberField).text, "070-111");
}

TEST_F(MainWindowComposeTest, EditMenuFollowsSelectionAndClipboard) {
  Type("Hello world");
  Window().OnEditMenuOpening(false);
  EXPECT_FALSE(Window().Control(MainControl::kMenuCut).enabled);
  EXPECT_FALSE(Window().Control(MainControl::kMenuPaste).enabled);
  Window().Cut(0, 6);
  EXPECT_EQ(Window().MessageText(), "world");
  Window().OnEditMenuOpening(true);
  EXPECT_TRUE(Window().Control(MainControl::kMenuCopy).enabled);
  EXPECT_TRUE(Window().Control(MainControl::kMenuPaste).enabled);
  Window().Paste(5, 0);
  EXPECT_EQ(Window().MessageText(), "worldHello ");
}

TEST_F(MainWindowComposeTest, NewMessageEmptiesTheBox) {
  Type("old");
  Window().NewMessage();
  EXPECT_EQ(Window().MessageText(), "");
  EXPECT_EQ(Window().State().saved_text, "");
  EXPECT_EQ(Status(), "0 character in message (Max 160).");
}

TEST_F(MainWindowComposeTest, MissingHelpFileSaysSo) {
  EXPECT_CALL(help_, ShowContents(_)).WillOnce(Return(false));
  Window().ShowHelpTopics();
  EXPECT_THAT(dialogs_.Texts(), ElementsAre("Can\xB4t find the helpfile"));
}

}  // namespace
}  // namespace tolvane
