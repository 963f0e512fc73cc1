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
using ::testing::StartsWith;

// Keeps the bar's opening and its last step; the user presses Cancel once it
// reaches `cancel_at`.
class FakeProgressWindow : public ProgressWindow {
 public:
  void Open(const std::string&, const std::string& label, int maximum) override {
    shown = label + " of " + std::to_string(maximum);
  }
  bool Advance(int value) override {
    last = value;
    return cancel_at < 0 || value < cancel_at;
  }
  void Close() override { shown += ", closed"; }

  int cancel_at = -1;
  std::string shown;
  int last = 0;
};

class ContactsTransferTest : public ::testing::Test {
 protected:
  ContactsTransferTest() {
    book_.AddToGroup("Vänner", "Anna", "0700");
    book_.Add("Anna", "0700");
    window_.Open();
  }

  // Imports a CSV file of `count` people named P1, P2, ...
  void ImportPeople(int count) {
    std::string csv = "Name,Mobile Phone\r\n";
    for (int i = 1; i <= count; ++i) csv += "P" + std::to_string(i) + ",0701\r\n";
    Import("people.csv", csv);
  }
  void Import(const char* name, const std::string& content) {
    book_.dir().WriteFile(name, content);
    chooser_.to_open = book_.dir().FilePath(name);
    transfer_.Import();
  }
  std::string Quoted(const char* name) { return "\"" + book_.dir().FilePath(name) + "\""; }

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
      [this](ImportPreview&) { return ++previews_, accept_preview_; }};
};

TEST_F(ContactsTransferTest, AFileOverAThousandRowsShowsItsProgressAndCancelLeavesTheBookAsItWas) {
  struct Case {
    int people;
    int cancel_at;
    std::string progress;
    std::string result_start;
    std::size_t names_after;
  };
  const std::vector<Case> cases = {
      {1001, 1, "Importing 1001 people... of 1001, closed", "Import cancelled", 1},
      {1000, -1, "", "1000 added", 1001},
      // P1 to P1000 are in the book by now.
      {1001, -1, "Importing 1001 people... of 1001, closed", "1 added", 1002},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.result_start);
    progress_ = {};
    progress_.cancel_at = test.cancel_at;
    dialogs_.Clear();
    ImportPeople(test.people);
    EXPECT_EQ(progress_.shown, test.progress);
    if (test.cancel_at < 0 && !test.progress.empty()) {
      EXPECT_EQ(progress_.last, test.people);
    }
    ASSERT_EQ(dialogs_.Texts().size(), 1u);
    EXPECT_THAT(dialogs_.Texts()[0], StartsWith(test.result_start));
    EXPECT_EQ(window_.NameList().items.size(), test.names_after);
  }
}

TEST_F(ContactsTransferTest, NothingIsImportedFromAFileUnreadableEmptyOrNotAccepted) {
  chooser_.to_open = book_.dir().FilePath("missing.csv");
  transfer_.Import();
  Import("empty.csv", "");
  Import("picture.csv", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
  EXPECT_EQ(previews_, 0);
  accept_preview_ = false;
  ImportPeople(3);
  EXPECT_EQ(previews_, 1);
  EXPECT_THAT(dialogs_.Texts(),
              ElementsAre("Could not read " + Quoted("missing.csv") + ": No such file or directory",
                          "No contacts found in " + Quoted("empty.csv") + ".",
                          Quoted("picture.csv") + " is not a CSV or vCard file."));
  EXPECT_THAT(window_.NameList().items, ElementsAre("Anna"));
}

TEST_F(ContactsTransferTest, ExportsTheWholeBookOrTheGroupChosenInTheOpenPanel) {
  book_.Add("Bo", "0702");
  struct Case {
    const char* file;
    int kind;
    std::size_t kinds_offered;
    const char* start;
  };
  // The name's extension decides the format over the kind chosen.
  const Case cases[] = {{"all.csv", 1, 2, "\xEF\xBB\xBFName,Phone,Groups\r\nAnna,0700,V"},
                        {"friends.vcf", 3, 4, "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Anna\r\n"},
                        {"no/such/folder.csv", 0, 4, nullptr}};
  for (const Case& test : cases) {
    chooser_.to_save = ChosenFile{book_.dir().FilePath(test.file), test.kind};
    transfer_.Export();
    EXPECT_EQ(chooser_.offered.size(), test.kinds_offered) << test.file;
    if (test.start != nullptr) {
      EXPECT_THAT(book_.dir().ReadFile(test.file), StartsWith(test.start));
    }
    if (!panel_.IsOpen()) panel_.Toggle();  // with the group Vänner chosen
  }
  EXPECT_EQ(chooser_.offered.back().description, "Group \"Vänner\" as vCard");
  EXPECT_THAT(book_.dir().ReadFile("friends.vcf"), ::testing::Not(::testing::HasSubstr("Bo")));
  EXPECT_THAT(dialogs_.Texts(),
              ElementsAre("2 people written to " + Quoted("all.csv") + ".",
                          "1 person written to " + Quoted("friends.vcf") + ".",
                          StartsWith("Could not write " + Quoted("no/such/folder.csv") + ": ")));
}

}  // namespace
}  // namespace tolvane
