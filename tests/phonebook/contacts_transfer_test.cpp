#include "phonebook/contacts_transfer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/local_file_system.h"
#include "support/fake_dialogs.h"
#include "support/fake_file_chooser.h"
#include "support/test_phone_book.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

// Records the bar's steps; the user presses Cancel once it reaches
// `cancel_at`.
class FakeProgressWindow : public ProgressWindow {
 public:
  void Open(const std::string&, const std::string& label, int maximum) override {
    opened_.push_back(label + " of " + std::to_string(maximum));
  }
  bool Advance(int value) override {
    last_ = value;
    return cancel_at_ < 0 || value < cancel_at_;
  }
  void Close() override { ++closed_; }

  int cancel_at_ = -1;
  std::vector<std::string> opened_;
  int last_ = 0;
  int closed_ = 0;
};

class ContactsTransferTest : public ::testing::Test {
 protected:
  ContactsTransferTest() {
    book_.Add("Anna", "0700");
    book_.AddToGroup("Vänner", "Anna", "0700");
    window_.Open();
  }

  // Imports a CSV file of `count` people named P1, P2, ...
  void ImportPeople(int count) {
    std::string csv = "Name,Mobile Phone\r\n";
    for (int i = 1; i <= count; ++i)
      csv += "P" + std::to_string(i) + ",070" + std::to_string(i) + "\r\n";
    book_.dir().WriteFile("people.csv", csv);
    chooser_.SetFileToOpen(book_.dir().FilePath("people.csv"));
    transfer_.Import();
  }

  testing::TestPhoneBook book_;
  testing::FakeDialogs dialogs_;
  testing::FakeFileChooser chooser_;
  FakeProgressWindow progress_;
  PhoneBookWindow window_{book_.cursor(), dialogs_, [] {}};
  GroupPanel panel_{window_, book_.cursor(), book_.store(), dialogs_};
  int previews_ = 0;
  bool accept_preview_ = true;
  ContactsTransfer transfer_{
      window_, &panel_,
      ContactsTransferServices{book_.store(), ProgramFileSystem(), chooser_, dialogs_, progress_},
      [this](ImportPreview&) {
        ++previews_;
        return accept_preview_;
      }};
};

TEST_F(ContactsTransferTest, AFileOverAThousandRowsShowsItsProgressAndCancelLeavesTheBookAsItWas) {
  struct Case {
    int people;
    int cancel_at;
    std::vector<std::string> opened;
    std::string result_start;
    std::size_t names_after;
  };
  const std::vector<Case> cases = {
      {1001, 1, {"Importing 1001 people... of 1001"}, "", 1},
      {1000, -1, {}, "1000 added", 1001},
      // P1 to P1000 are in the book by now.
      {1001, -1, {"Importing 1001 people... of 1001"}, "1 added", 1002},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::to_string(test.people) + " people, cancel at " +
                 std::to_string(test.cancel_at));
    progress_ = {};
    progress_.cancel_at_ = test.cancel_at;
    dialogs_.Clear();
    ImportPeople(test.people);
    EXPECT_EQ(progress_.opened_, test.opened);
    EXPECT_EQ(progress_.closed_, test.opened.empty() ? 0 : 1);
    if (!test.opened.empty() && test.cancel_at < 0) EXPECT_EQ(progress_.last_, test.people);
    ASSERT_EQ(dialogs_.Texts().size(), 1u);
    EXPECT_THAT(dialogs_.Texts()[0], StartsWith(test.result_start));
    EXPECT_EQ(window_.NameList().items.size(), test.names_after);
  }
}

TEST_F(ContactsTransferTest,
       NothingIsImportedFromAFileUnreadableEmptyOrNotAcceptedOrWhileEntering) {
  book_.dir().WriteFile("empty.csv", "");
  book_.dir().WriteFile("picture.csv", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
  for (const char* name : {"missing.csv", "empty.csv", "picture.csv"}) {
    chooser_.SetFileToOpen(book_.dir().FilePath(name));
    transfer_.Import();
  }
  auto quoted = [this](const char* name) { return "\"" + book_.dir().FilePath(name) + "\""; };
  EXPECT_THAT(dialogs_.Texts(),
              ElementsAre("Could not read " + quoted("missing.csv") + ": No such file or directory",
                          "No contacts found in " + quoted("empty.csv") + ".",
                          quoted("picture.csv") + " is not a CSV or vCard file."));
  EXPECT_EQ(previews_, 0);

  dialogs_.Clear();
  accept_preview_ = false;
  ImportPeople(3);
  EXPECT_EQ(previews_, 1);
  window_.NewRecord();
  EXPECT_FALSE(transfer_.ImportButton().enabled);
  EXPECT_FALSE(transfer_.ExportButton().enabled);
  accept_preview_ = true;
  ImportPeople(3);
  EXPECT_EQ(previews_, 1) << "no file dialog while a record is entered";
  EXPECT_THAT(dialogs_.Texts(), IsEmpty());
  EXPECT_THAT(window_.NameList().items, ElementsAre("Anna"));
}

TEST_F(ContactsTransferTest, ExportsTheWholeBookOrTheGroupChosenInTheOpenPanel) {
  book_.Add("Bo", "0702");
  window_.Reload();
  chooser_.SetFileToSave(ChosenFile{book_.dir().FilePath("all.csv"), 1});
  transfer_.Export();
  EXPECT_THAT(chooser_.Offered(), ElementsAre("Phone book as CSV", "Phone book as vCard"));
  // The name's extension decides the format over the kind chosen.
  EXPECT_THAT(book_.dir().ReadFile("all.csv"), StartsWith("\xEF\xBB\xBFName,Phone,Groups"));

  panel_.Toggle();
  chooser_.SetFileToSave(ChosenFile{book_.dir().FilePath("friends.vcf"), 3});
  transfer_.Export();
  EXPECT_THAT(chooser_.Offered(),
              ElementsAre("Phone book as CSV", "Phone book as vCard", "Group \"Vänner\" as CSV",
                          "Group \"Vänner\" as vCard"));
  const std::string friends = book_.dir().ReadFile("friends.vcf");
  EXPECT_THAT(friends, StartsWith("BEGIN:VCARD"));
  EXPECT_THAT(friends, HasSubstr("Anna"));
  EXPECT_THAT(friends, ::testing::Not(HasSubstr("Bo")));

  chooser_.SetFileToSave(ChosenFile{book_.dir().FilePath("no/such/folder.csv"), 0});
  transfer_.Export();
  EXPECT_THAT(dialogs_.Texts(),
              ElementsAre("2 people written to \"" + book_.dir().FilePath("all.csv") + "\".",
                          "1 person written to \"" + book_.dir().FilePath("friends.vcf") + "\".",
                          StartsWith("Could not write \"" +
                                     book_.dir().FilePath("no/such/folder.csv") + "\": ")));
}

}  // namespace
}  // namespace tolvane
