#include "ui/import_preview_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>

#include "phonebook/contacts_transfer.h"
#include "phonebook/group_tables.h"
#include "platform/local_file_system.h"
#include "platform/qt/qt_progress_window.h"
#include "support/fake_dialogs.h"
#include "support/fake_file_chooser.h"
#include "support/test_phone_book.h"
#include "ui/phone_book_dialog.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class ImportPreviewDialogTest : public ::testing::Test {
 protected:
  ImportPreviewDialogTest() {
    book_.Add("Anna", "0700");
    window_.Open();
    dialog_.AddGroupPanel(panel_, dialogs_);
    dialog_.AddContactsTransfer(transfer_);
    dialog_.show();
    book_.dir().WriteFile("contacts.csv",
                          "Name,Mobile Phone,Categories\r\nAnna,0711,Jobb\r\nBo,0702,Jobb\r\n"
                          "Cecilia Alexandra Maria von L\xC3\xA4ngstnamn-Storsson,0703,\r\n");
    chooser_.to_open = book_.dir().FilePath("contacts.csv");
  }

  // Runs the preview as the user would, with the keyboard alone.
  bool Preview(ImportPreview& preview) {
    ImportPreviewDialog shown(preview);
    shown.show();
    QApplication::setActiveWindow(&shown);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&shown));
    auto* table = shown.findChild<QTableWidget*>("previewTable");
    EXPECT_EQ(table->item(2, 1)->text(), "0703");
    EXPECT_FALSE(shown.findChild<QCheckBox*>("extraNumbersBox")->isVisible());
    // Tab goes down the choices.
    table->setFocus();
    auto key = [](Qt::Key code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
      QTest::keyClick(QApplication::focusWidget(), code, modifiers);
    };
    QStringList order;
    for (int i = 0; i < 8; ++i) {
      key(Qt::Key_Tab);
      order << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(order, (QStringList{"headerRowBox", "nameColumn", "numberColumn", "groupColumn",
                                  "duplicatesList", "groupBox", "okButton", "cancelButton"}));
    // Back to the duplicates: replace the number; then the group for everyone.
    for (int i = 0; i < 3; ++i) key(Qt::Key_Tab, Qt::ShiftModifier);
    key(Qt::Key_Down);
    key(Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), "Import");
    key(finish_key_);
    return shown.result() == QDialog::Accepted;
  }

  testing::TestPhoneBook book_;
  testing::FakeDialogs dialogs_;
  testing::FakeFileChooser chooser_;
  QtProgressWindow progress_;
  // Return for OK, or Escape.
  Qt::Key finish_key_ = Qt::Key_Return;
  PhoneBookWindow window_{book_.cursor(), dialogs_, [] {}};
  GroupPanel panel_{window_, book_.cursor(), book_.store(), dialogs_};
  ContactsTransfer transfer_{
      window_, &panel_,
      ContactsTransferServices{book_.store(), ProgramFileSystem(), chooser_, dialogs_, progress_},
      [this](ImportPreview& preview) { return Preview(preview); }};
  PhoneBookDialog dialog_{window_};
};

TEST_F(ImportPreviewDialogTest, ImportsWhatThePreviewChoseAndTellsTheResultWithItsDetails) {
  auto* import = dialog_.findChild<QPushButton*>("importButton");
  EXPECT_EQ(import->text(), "&Import...");
  EXPECT_EQ(dialog_.findChild<QPushButton*>("exportButton")->text(), "E&xport...");
  // No other button of the window answers to Alt+I or Alt+X.
  QStringList captions;
  for (QAbstractButton* button : dialog_.findChildren<QAbstractButton*>()) {
    captions << button->text();
  }
  EXPECT_EQ(captions.filter(QRegularExpression("&[IiXx]")).size(), 2)
      << captions.join(' ').toStdString();

  finish_key_ = Qt::Key_Escape;
  import->click();
  EXPECT_TRUE(dialogs_.Texts().empty()) << "Escape left the preview, nothing imported";
  finish_key_ = Qt::Key_Return;
  import->click();
  EXPECT_THAT(dialogs_.Texts(), ElementsAre("1 added, 1 updated, 1 skipped (see details)"));
  EXPECT_THAT(dialogs_.details(), ElementsAre(HasSubstr("Line 4: Cecilia")));
  EXPECT_EQ(dialog_.findChild<QListWidget*>("nameList")->count(), 2) << "Bo added";
  ASSERT_TRUE(book_.cursor().SeekName("Anna"));
  EXPECT_EQ(book_.cursor().Field(kFieldTelenummer), "0711");
  EXPECT_THAT(MemberNames(book_.store(), "Import"), ElementsAre("Anna", "Bo"));
}

}  // namespace
}  // namespace tolvane
