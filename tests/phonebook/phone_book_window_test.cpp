#include "phonebook/phone_book_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "support/fake_dialogs.h"
#include "support/faulty_sqlite_vfs.h"
#include "support/test_phone_book.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Box = testing::FakeDialogs::Box;
using Focus = PhoneBookWindow::Focus;

class PhoneBookWindowTest : public ::testing::Test {
 protected:
  // Opens the window on the given people, already in the phone book.
  PhoneBookWindow& OpenWindow(const std::vector<std::string>& names = {},
                              RecordCursor* cursor = nullptr) {
    for (const std::string& name : names) {
      book_.cursor().AddNew();
      book_.cursor().SetField("Namn", name);
      book_.cursor().SetField("Telenummer", "070-" + name);
      book_.cursor().Update();
    }
    window_ = std::make_unique<PhoneBookWindow>(cursor != nullptr ? *cursor : book_.cursor(),
                                                dialogs_, [] {});
    window_->SetOnChanged([this] { ++changes_; });
    window_->Open();
    return *window_;
  }

  static void Type(PhoneBookWindow& window, const std::string& name, const std::string& number) {
    window.EditNameText(name);
    window.EditNumberText(number);
  }

  // Every record of Telelist as "Namn|Telenummer|Operator".
  std::vector<std::string> Records() {
    std::vector<std::string> records;
    auto cursor = book_.store().OpenCursor("Telelist");
    for (; !cursor->Eof(); cursor->MoveNext()) {
      records.push_back(cursor->Field("Namn") + "|" + cursor->Field("Telenummer") + "|" +
                        cursor->Field("Operator"));
    }
    return records;
  }

  testing::TestPhoneBook book_;
  testing::FakeDialogs dialogs_;
  std::unique_ptr<PhoneBookWindow> window_;
  int changes_ = 0;
};

// A new record is refused without a name not taken or without a number,
// keeping what was typed, and else stored trimmed after the others.
TEST_F(PhoneBookWindowTest, SaveRefusesAMissingOrTakenNameOrAMissingNumberElseStoresTrimmed) {
  PhoneBookWindow& window = OpenWindow({"Olle", "Anna", "Åsa", "Łukasz"});
  EXPECT_THAT(window.NameList().items, ElementsAre("Olle", "Anna", "Åsa", "Łukasz"));
  EXPECT_EQ(window.NumberBox().max_length, 20);
  window.NewRecord();
  EXPECT_EQ(window.TakeFocusRequest(), Focus::kNameBox);
  const Box name{"You must enter a name!", "Name?", MessageIcon::kInformation, MessageButtons::kOk};
  const Box number{"You must enter a phone number!", "Number?", MessageIcon::kInformation,
                   MessageButtons::kOk};
  const Box taken{"Name already exist!", "Duplicate name!", MessageIcon::kCritical,
                  MessageButtons::kOk};
  const std::tuple<const char*, const char*, Box, Focus> cases[] = {
      {"", "0701", name, Focus::kNameBox},
      // Blanks alone would be stored as an empty name.
      {"   ", "0701", name, Focus::kNameBox},
      {"Bo", " ", number, Focus::kNumberBox},
      // Names compare without letter case, also beyond the code page, and
      // are stored trimmed, so surrounding blanks make no new name.
      {"ŁUKASZ", "0701", taken, Focus::kNameBox},
      {" aNNA ", "0701", taken, Focus::kNameBox},
  };
  for (const auto& [typed_name, typed_number, box, focus] : cases) {
    SCOPED_TRACE(typed_name);
    dialogs_.Clear();
    Type(window, typed_name, typed_number);
    window.SaveRecord();
    EXPECT_THAT(dialogs_.boxes(), ElementsAre(box));
    EXPECT_EQ(window.TakeFocusRequest(), focus);
    EXPECT_TRUE(window.SaveButton().enabled);
    EXPECT_EQ(window.NameBox().text, typed_name);
    EXPECT_EQ(window.NumberBox().text, typed_number);
  }
  EXPECT_EQ(Records().size(), 4u);

  Type(window, "  Anna Svensson ", " 0701 234 ");
  window.SaveRecord();
  EXPECT_EQ(Records().back(), "Anna Svensson|0701 234|1");
  EXPECT_THAT(window.NameList().items,
              ElementsAre("Olle", "Anna", "Åsa", "Łukasz", "Anna Svensson"));
  EXPECT_FALSE(window.SaveButton().enabled);
}

// The engine refuses the write: the disk is full, or the phone book may only
// be read.
TEST_F(PhoneBookWindowTest, OtherSaveErrorsHaveTheirOwnBoxes) {
  struct Case {
    bool disk_full;
    std::string text;
    std::string title;
    PhoneBookWindow::Focus focus;
  };
  for (const Case& test :
       {Case{true, "Disk full!", "Disk full!", Focus::kNameBox},
        Case{false, "Unknown error while saving record!", "Error!", Focus::kNone}}) {
    SCOPED_TRACE(test.text);
    dialogs_.Clear();
    testing::FaultySqliteVfs vfs(book_.Folder());
    test.disk_full ? vfs.FillAfter(0) : vfs.SetReadOnly(true);
    SqlitePhoneBookStore store;
    store.Open(book_.dir().FilePath("teledata.mdb"));
    const std::unique_ptr<RecordCursor> cursor = store.OpenCursor("Telelist");
    PhoneBookWindow& window = OpenWindow({}, cursor.get());
    window.NewRecord();
    window.TakeFocusRequest();
    Type(window, "Anna", "0701");
    window.SaveRecord();
    EXPECT_THAT(dialogs_.boxes(), ElementsAre(Box{test.text, test.title, MessageIcon::kCritical,
                                                  MessageButtons::kOk}));
    EXPECT_EQ(window.TakeFocusRequest(), test.focus);
    EXPECT_EQ(window.NameBox().text, "Anna");
  }
  EXPECT_THAT(Records(), IsEmpty());
}

// Undo writes nothing, Edit changes the selected person, and Delete asks
// and then selects the entry that took the place or the one before.
TEST_F(PhoneBookWindowTest, UndoWritesNothingEditChangesAndDeleteRemovesTheSelectedPerson) {
  PhoneBookWindow& window = OpenWindow({"Anna", "Bertil", "Cecilia"});
  window.SelectName(1);
  window.EditRecord();
  Type(window, "Someone else", "999");
  window.Undo();
  EXPECT_EQ(window.NumberBox().text, "070-Bertil");

  window.SelectName(1);
  window.EditRecord();
  Type(window, "Bertil Berg", "0703");
  window.SaveRecord();
  EXPECT_THAT(Records(),
              ElementsAre("Anna|070-Anna|", "Bertil Berg|0703|1", "Cecilia|070-Cecilia|"));
  EXPECT_THAT(window.NameList().items, ElementsAre("Anna", "Bertil Berg", "Cecilia"));
  EXPECT_EQ(window.NameList().selected, -1);

  window.SelectName(1);
  window.DeleteRecord();  // answered No
  EXPECT_THAT(dialogs_.boxes(), ElementsAre(Box{"Delete? \"Bertil Berg\" ?", "Are you sure?",
                                                MessageIcon::kQuestion, MessageButtons::kYesNo}));
  EXPECT_EQ(Records().size(), 3u);
  book_.cursor().MoveFirst();  // the main window moved the shared cursor meanwhile
  dialogs_.QueueAnswer(MessageAnswer::kYes);
  window.DeleteRecord();
  EXPECT_THAT(Records(), ElementsAre("Anna|070-Anna|", "Cecilia|070-Cecilia|"));
  EXPECT_THAT(window.NameList().items, ElementsAre("Anna", "Cecilia"));
  EXPECT_EQ(window.NameList().selected, 1);
  EXPECT_EQ(window.NameBox().text, "Cecilia");
  dialogs_.QueueAnswer(MessageAnswer::kYes);
  window.DeleteRecord();
  EXPECT_THAT(window.NameList().items, ElementsAre("Anna"));
  EXPECT_EQ(window.NameList().selected, 0);
  dialogs_.QueueAnswer(MessageAnswer::kYes);
  window.DeleteRecord();
  EXPECT_FALSE(window.DeleteButton().enabled);
  EXPECT_THAT(Records(), IsEmpty());
}

// "&Close" is disabled while entering; Escape and the window's frame ask.
TEST_F(PhoneBookWindowTest, ClosingWhileARecordIsUnsavedAsksToSaveItDropItOrStay) {
  PhoneBookWindow& window = OpenWindow({"Anna"});
  window.SelectName(0);
  window.EditRecord();
  EXPECT_TRUE(window.MayClose());  // nothing changed: nothing to ask

  window.NewRecord();
  Type(window, "Bertil", "0702");
  EXPECT_FALSE(window.MayClose());  // Cancel
  dialogs_.QueueAnswer(MessageAnswer::kDiscard);
  EXPECT_TRUE(window.MayClose());
  EXPECT_THAT(Records(), ElementsAre("Anna|070-Anna|"));

  window.NewRecord();
  Type(window, "ANNA", "0702");
  dialogs_.QueueAnswer(MessageAnswer::kSave);
  EXPECT_FALSE(window.MayClose());  // the save was refused
  window.EditNameText("Bertil");
  dialogs_.QueueAnswer(MessageAnswer::kSave);
  EXPECT_TRUE(window.MayClose());
  const Box unsaved{"The record is not saved. Save it?", "Not saved!", MessageIcon::kQuestion,
                    MessageButtons::kSaveDiscardCancel};
  EXPECT_THAT(dialogs_.Texts(), ElementsAre(unsaved.text, unsaved.text, unsaved.text,
                                            "Name already exist!", unsaved.text));
  EXPECT_EQ(dialogs_.boxes()[0], unsaved);
  EXPECT_THAT(Records(), ElementsAre("Anna|070-Anna|", "Bertil|0702|1"));
}

}  // namespace
}  // namespace tolvane
