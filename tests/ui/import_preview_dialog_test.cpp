#include "ui/import_preview_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
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
    chooser_.SetFileToOpen(book_.dir().FilePath("contacts.csv"));
  }

  // Runs the preview as the user would, with the keyboard alone.
  bool Preview(ImportPreview& preview) {
    ImportPreviewDialog shown(preview);
    shown.show();
    QApplication::setActiveWindow(&shown);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&shown));
    EXPECT_EQ(shown.windowTitle(), "Import contacts.csv");
    EXPECT_EQ(shown.findChild<QLabel*>("formatLabel")->text(),
              "CSV, separator comma, UTF-8, 3 rows");
    auto* table = shown.findChild<QTableWidget*>("previewTable");
    EXPECT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Mobile Phone");
    EXPECT_EQ(shown.findChild<QComboBox*>("nameColumn")->currentText(), "Name");
    EXPECT_EQ(shown.findChild<QComboBox*>("groupColumn")->currentText(), "Categories");
    EXPECT_FALSE(shown.findChild<QCheckBox*>("extraNumbersBox")->isVisible());
    EXPECT_THAT(shown.findChild<QLabel*>("summaryLabel")->text().toStdString(),
                HasSubstr("2 people to import, 1 row left out (line 4: "));
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
  for (QAbstractButton* button : dialog_.findChildren<QAbstractButton*>()) {
    if (button == import || button->objectName() == "exportButton") continue;
    EXPECT_FALSE(button->text().contains("&I", Qt::CaseInsensitive))
        << button->text().toStdString();
    EXPECT_FALSE(button->text().contains("&X", Qt::CaseInsensitive))
        << button->text().toStdString();
  }

  finish_key_ = Qt::Key_Escape;
  import->click();
  EXPECT_TRUE(dialogs_.Texts().empty()) << "Escape left the preview, nothing imported";
  finish_key_ = Qt::Key_Return;
  import->click();
  EXPECT_THAT(dialogs_.Texts(), ElementsAre("1 added, 1 updated, 1 skipped (see details)"));
  ASSERT_EQ(dialogs_.details().size(), 1u);
  EXPECT_THAT(dialogs_.details()[0], HasSubstr("4"));
  auto* names = dialog_.findChild<QListWidget*>("nameList");
  ASSERT_EQ(names->count(), 2);
  EXPECT_EQ(names->item(1)->text(), "Bo");
  ASSERT_TRUE(book_.cursor().SeekName("Anna"));
  EXPECT_EQ(book_.cursor().Field(kFieldTelenummer), "0711");
  EXPECT_THAT(MemberNames(book_.store(), "Import"), ElementsAre("Anna", "Bo"));
}

}  // namespace
}  // namespace tolvane
