#include "records/quick_messages_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/crashing_file_system.h"
#include "support/fake_dialogs.h"
#include "support/platform_mocks.h"
#include "support/quick_message_files.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Box = testing::FakeDialogs::Box;
using testing::QuickMessageRecords;
using testing::QuickMessagesIn;

class QuickMessagesWindowTest : public ::testing::Test {
 protected:
  // Opens the window on a store holding `texts`.
  QuickMessagesWindow& Open(const std::vector<std::string>& texts) {
    dir_.WriteFile("meddelnd.dat", QuickMessageRecords(texts));
    EXPECT_EQ(store_.Load(dir_.Folder()), 0);
    window_ = std::make_unique<QuickMessagesWindow>(
        store_, dialogs_, clipboard_, [this](const std::string& text) { used_.push_back(text); });
    window_->Open();
    return *window_;
  }
  void Add(const std::string& text) {
    window_->EditEntry(text);
    window_->Add();
  }
  // What the window shows: the message, its number and the total.
  std::vector<std::string> Shown() const {
    return {window_->ShownMessage(), window_->Number(), window_->Total()};
  }

  testing::TempDir dir_;
  testing::CrashingFileSystem files_;
  QuickMessageStore store_{files_};
  testing::FakeDialogs dialogs_;
  testing::MemoryClipboard clipboard_;
  std::vector<std::string> used_;
  std::unique_ptr<QuickMessagesWindow> window_;
};

// (The fuzz target refuses blanks alone too; the dialog's tests count a line
// break as two characters and store the text with it.)
TEST_F(QuickMessagesWindowTest,
       AddingRefusesAnEmptyEntryOrOneTheRecordCannotHoldAndWritesTheStore) {
  QuickMessagesWindow& window = Open({"First"});
  EXPECT_THAT(Shown(), ElementsAre("First", "1", "1"));
  Add("");
  EXPECT_THAT(dialogs_.boxes(), ElementsAre(Box{"No message to add!", "What?",
                                                MessageIcon::kInformation, MessageButtons::kOk}));
  dialogs_.Clear();
  window.EditEntry(std::string(330, 'x'));
  EXPECT_EQ(window.CharCount(), "320");
  // The message box's rule: a line break is taken whole or not at all.
  window.EditEntry(std::string(318, 'x') + "\r\n");
  EXPECT_EQ(window.CharCount(), "320");
  window.EditEntry(std::string(319, 'x') + "\r\ny");
  EXPECT_EQ(window.EntryBox().text, std::string(319, 'x'));

  // The record holds Windows-1252 only: "ö" and "€" are kept, "😀" is not.
  window.EditEntry("Bra jobbat 😀 Łukasz");
  window.Add();
  EXPECT_THAT(dialogs_.boxes(),
              ElementsAre(Box{
                  "A quick message cannot hold the character 😀; remove it to store the message.",
                  "Cannot store", MessageIcon::kExclamation, MessageButtons::kOk}));
  EXPECT_EQ(store_.Count(), 1);
  EXPECT_EQ(window.EntryBox().text, "Bra jobbat 😀 Łukasz");
  dialogs_.Clear();

  window.EditEntry("Tack för € idag");
  window.Add();
  EXPECT_THAT(Shown(), ElementsAre("Tack för € idag", "2", "2"));
  EXPECT_THAT(dialogs_.boxes(), IsEmpty());
  EXPECT_EQ(dir_.ReadFile("meddelnd.dat"), QuickMessageRecords({"First", "Tack f\xF6r \x80 idag"}));
}

TEST_F(QuickMessagesWindowTest, TheFiftiethIsAddedAndTheFiftyFirstRefused) {
  std::vector<std::string> texts;
  for (int i = 1; i <= 49; ++i) texts.push_back("Message " + std::to_string(i));
  QuickMessagesWindow& window = Open(texts);
  Add("Fiftieth");
  EXPECT_THAT(Shown(), ElementsAre("Fiftieth", "50", "50"));
  EXPECT_THAT(dialogs_.boxes(), IsEmpty());

  Add("Fifty-first");
  EXPECT_THAT(dialogs_.Texts(), ElementsAre("You can only store 50 message!"));
  EXPECT_EQ(window.EntryBox().text, "Fifty-first");
  EXPECT_EQ(dir_.ReadFile("meddelnd.dat").substr(49 * 400), QuickMessageRecords({"Fiftieth"}));
}

// (The fuzz target reads back every list a delete writes.)
TEST_F(QuickMessagesWindowTest,
       SteppingShowsTheMessageAtThePositionDeletingTheOneThatTookItsPlaceDownToNone) {
  QuickMessagesWindow& window = Open({"A", "A", "B"});
  window.Step(7);
  EXPECT_THAT(Shown(), ElementsAre("B", "3", "3"));
  window.Step(1);
  window.Delete();
  EXPECT_THAT(Shown(), ElementsAre("A", "1", "2"));
  window.Step(2);
  window.Delete();
  EXPECT_THAT(Shown(), ElementsAre("A", "1", "1"));
  window.Delete();
  // Emptied, the window shows number zero and offers only the entry box.
  EXPECT_THAT(Shown(), ElementsAre("", "0", "0"));
  window.Use();
  EXPECT_THAT(used_, IsEmpty());
  EXPECT_FALSE(window.Closed());
}

// What reaches the disk at each step of the rewrite the file-fault tests show;
// here, that the user is told when it fails.
TEST_F(QuickMessagesWindowTest, AFailedRewriteIsToldAndTheListShownStays) {
  QuickMessagesWindow& window = Open({"A", "B"});
  files_.FailAt(0);
  window.Delete();
  EXPECT_THAT(dialogs_.boxes(), ElementsAre(Box{"Error while writing to file", "Error",
                                                MessageIcon::kExclamation, MessageButtons::kOk}));
  EXPECT_THAT(Shown(), ElementsAre("B", "1", "1"));
  EXPECT_THAT(QuickMessagesIn(dir_.Folder()), ElementsAre("A", "B"));
}

}  // namespace
}  // namespace tolvane
