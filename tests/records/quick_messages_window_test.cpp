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

using ::testing::AnyOf;
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

TEST_F(QuickMessagesWindowTest, AnEmptyStoreShowsNumberZeroAndOffersOnlyTheEntryBox) {
  QuickMessagesWindow& window = Open({});
  EXPECT_THAT(Shown(), ElementsAre("", "0", "0"));
  EXPECT_EQ(window.CharCount(), "0");
  EXPECT_FALSE(window.AddButton().enabled);
  EXPECT_FALSE(window.DeleteButton().enabled);
  EXPECT_FALSE(window.UseButton().enabled);
  EXPECT_TRUE(window.TakeFocusRequest());

  window.Use();
  EXPECT_THAT(used_, IsEmpty());
  EXPECT_FALSE(window.Closed());

  // The edit menu works on the entry box through the clipboard.
  window.OnEditMenuOpening(false);
  EXPECT_FALSE(window.MenuCut().enabled);
  EXPECT_FALSE(window.MenuPaste().enabled);
  window.EditEntry("Hello world");
  window.Cut(5, 6);
  window.Paste(0, 0);
  EXPECT_EQ(window.EntryBox().text, " worldHello");
  EXPECT_EQ(window.CharCount(), "11");
}

TEST_F(QuickMessagesWindowTest, AddingRefusesAnEmptyEntryShowsTheNewMessageAndWritesTheStore) {
  QuickMessagesWindow& window = Open({"First"});
  EXPECT_THAT(Shown(), ElementsAre("First", "1", "1"));
  for (const char* entry : {"", "   "}) {
    Add(entry);
    EXPECT_THAT(dialogs_.boxes().back(), (Box{"No message to add!", "What?",
                                              MessageIcon::kInformation, MessageButtons::kOk}));
    EXPECT_EQ(store_.Count(), 1);
    EXPECT_TRUE(window.TakeFocusRequest());
  }
  dialogs_.Clear();
  window.EditEntry(std::string(330, 'x'));
  EXPECT_EQ(window.CharCount(), "320");
  window.EditEntry("Running late\r\nStart without me");
  EXPECT_EQ(window.CharCount(), "30");
  EXPECT_TRUE(window.AddButton().enabled);
  window.TakeFocusRequest();

  window.Add();
  EXPECT_THAT(Shown(), ElementsAre("Running late\r\nStart without me", "2", "2"));
  EXPECT_EQ(window.ScrollMaximum(), 2);
  EXPECT_EQ(window.ScrollPosition(), 2);
  EXPECT_EQ(window.EntryBox().text, "");
  EXPECT_EQ(window.CharCount(), "0");
  EXPECT_FALSE(window.AddButton().enabled);
  EXPECT_TRUE(window.TakeFocusRequest());
  EXPECT_THAT(dialogs_.boxes(), IsEmpty());
  EXPECT_EQ(dir_.ReadFile("meddelnd.dat"),
            QuickMessageRecords({"First", "Running late\r\nStart without me"}));
}

TEST_F(QuickMessagesWindowTest, TheFiftiethIsAddedAndTheFiftyFirstRefused) {
  std::vector<std::string> texts;
  for (int i = 1; i <= 49; ++i) texts.push_back("Message " + std::to_string(i));
  QuickMessagesWindow& window = Open(texts);
  Add("Fiftieth");
  EXPECT_THAT(Shown(), ElementsAre("Fiftieth", "50", "50"));
  EXPECT_THAT(dialogs_.boxes(), IsEmpty());

  Add("Fifty-first");
  EXPECT_THAT(dialogs_.boxes(),
              ElementsAre(Box{"You can only store 50 message!", "No more message!",
                              MessageIcon::kCritical, MessageButtons::kOk}));
  EXPECT_EQ(store_.Count(), 50);
  EXPECT_EQ(window.EntryBox().text, "Fifty-first");
  EXPECT_EQ(dir_.ReadFile("meddelnd.dat").size(), 50u * 400);
  EXPECT_EQ(dir_.ReadFile("meddelnd.dat").substr(49 * 400), QuickMessageRecords({"Fiftieth"}));
}

TEST_F(QuickMessagesWindowTest, SteppingShowsTheMessageAtThePositionAndUseHandsItOver) {
  QuickMessagesWindow& window = Open({"One", "Two", "Three"});
  EXPECT_THAT(Shown(), ElementsAre("One", "1", "3"));
  window.TakeFocusRequest();
  window.Step(2);
  EXPECT_THAT(Shown(), ElementsAre("Two", "2", "3"));
  EXPECT_TRUE(window.TakeFocusRequest());
  window.Step(7);
  EXPECT_THAT(Shown(), ElementsAre("Three", "3", "3"));
  // "Use" hands over the shown message and ends the window.
  window.Step(2);
  window.Use();
  EXPECT_THAT(used_, ElementsAre("Two"));
  EXPECT_TRUE(window.Closed());
}

TEST_F(QuickMessagesWindowTest, DeleteWritesTheStoreAndTheLastOneLeavesAnEmptyList) {
  QuickMessagesWindow& window = Open({"A", "A", "B"});
  window.Delete();
  EXPECT_THAT(QuickMessagesIn(dir_.Folder()), ElementsAre("A", "B"));
  EXPECT_THAT(Shown(), ElementsAre("A", "1", "2"));
  window.Step(2);
  window.Delete();
  EXPECT_THAT(Shown(), ElementsAre("A", "1", "1"));
  window.Delete();
  EXPECT_THAT(QuickMessagesIn(dir_.Folder()), IsEmpty());
  EXPECT_THAT(Shown(), ElementsAre("", "0", "0"));
  EXPECT_FALSE(window.DeleteButton().enabled);
  EXPECT_FALSE(window.UseButton().enabled);
  EXPECT_THAT(dialogs_.boxes(), IsEmpty());
}

// A crash at any step of a rewrite, after an add or a delete, leaves a store
// that the next start-up reads as the old list or the new one.
TEST_F(QuickMessagesWindowTest, ACrashAtAnyStepOfTheRewriteLeavesTheOldOrTheNewList) {
  const std::vector<std::string> old_list = {"A", "B"};
  for (bool deleting : {false, true}) {
    const std::vector<std::string> new_list =
        deleting ? std::vector<std::string>{"B"} : std::vector<std::string>{"A", "B", "C"};
    bool saw_old = false;
    for (int step = 0;; ++step) {
      SCOPED_TRACE((deleting ? "delete, crash at step " : "add, crash at step ") +
                   std::to_string(step));
      testing::TempDir dir;
      dir.WriteFile("meddelnd.dat", QuickMessageRecords(old_list));
      testing::CrashingFileSystem files;
      QuickMessageStore store(files);
      ASSERT_EQ(store.Load(dir.Folder()), 0);
      testing::FakeDialogs dialogs;
      QuickMessagesWindow window(store, dialogs, clipboard_, [](const std::string&) {});
      window.Open();

      files.CrashAt(step);
      if (deleting) {
        window.Delete();
      } else {
        window.EditEntry("C");
        window.Add();
      }
      // The list in the window is the new one either way.
      EXPECT_EQ(store.Count(), static_cast<int>(new_list.size()));
      const std::vector<std::string> on_disk = QuickMessagesIn(dir.Folder());
      EXPECT_THAT(on_disk, AnyOf(old_list, new_list));
      saw_old = saw_old || on_disk == old_list;
      if (on_disk == old_list) {
        EXPECT_THAT(dialogs.boxes(),
                    ElementsAre(Box{"Error while writing to file", "Error",
                                    MessageIcon::kExclamation, MessageButtons::kOk}));
      }
      if (!files.crashed()) {
        EXPECT_EQ(on_disk, new_list);
        EXPECT_GE(step, 5);  // create, permissions, write, flush, rename at least
        break;
      }
    }
    EXPECT_TRUE(saw_old);
  }
}

}  // namespace
}  // namespace tolvane
