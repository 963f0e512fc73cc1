#include "ui/phone_book_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "support/fake_dialogs.h"
#include "support/test_phone_book.h"

namespace tolvane {
namespace {

TEST(PhoneBookDialogTest, EntersAPersonAndClosesThroughThePresenter) {
  testing::TestPhoneBook book;
  testing::FakeDialogs dialogs;
  int closed = 0;
  PhoneBookWindow window(book.cursor(), dialogs, [&closed] { ++closed; });
  PhoneBookDialog dialog(window);
  dialog.show();

  auto* list = dialog.findChild<QListWidget*>("nameList");
  auto* name_box = dialog.findChild<QLineEdit*>("nameBox");
  auto* number_box = dialog.findChild<QLineEdit*>("numberBox");
  auto* save = dialog.findChild<QPushButton*>("saveButton");
  ASSERT_TRUE(list && name_box && number_box && save);
  EXPECT_EQ(dialog.windowTitle(), "Phonebook");
  EXPECT_FALSE(name_box->isEnabled());
  EXPECT_FALSE(save->isEnabled());

  dialog.findChild<QPushButton*>("newButton")->click();
  EXPECT_TRUE(name_box->isEnabled());
  EXPECT_EQ(name_box->maxLength(), 40);
  name_box->insert(QString::fromUtf8(" \xC3\x85sa "));
  number_box->insert("0701");
  save->click();

  ASSERT_EQ(list->count(), 1);
  EXPECT_EQ(list->item(0)->text(), QString::fromUtf8("\xC3\x85sa"));
  EXPECT_EQ(name_box->text(), "");
  EXPECT_FALSE(name_box->isEnabled());
  book.cursor().MoveFirst();
  EXPECT_EQ(book.cursor().Field("Namn"), "\xC5sa");

  list->setCurrentRow(0);
  EXPECT_EQ(number_box->text(), "0701");
  EXPECT_TRUE(dialog.findChild<QPushButton*>("deleteButton")->isEnabled());

  dialog.findChild<QPushButton*>("closeButton")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(closed, 1);
}

TEST(PhoneBookDialogTest, NobodyIsChosenOnOpeningNorAfterASaveWhateverHasTheFocus) {
  testing::TestPhoneBook book;
  book.Add("Anna", "0701");
  book.Add("Bo", "0702");
  testing::FakeDialogs dialogs;
  PhoneBookWindow window(book.cursor(), dialogs, nullptr);
  PhoneBookDialog dialog(window);
  dialog.show();
  auto* list = dialog.findChild<QListWidget*>("nameList");
  auto* name_box = dialog.findChild<QLineEdit*>("nameBox");
  auto* edit = dialog.findChild<QPushButton*>("editButton");
  auto* remove = dialog.findChild<QPushButton*>("deleteButton");
  // Qt makes the first row current when the list gets the focus.
  auto focus_list = [list] {
    QFocusEvent focus_in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(list, &focus_in);
  };
  auto expect_nobody_chosen = [&](const char* when) {
    EXPECT_TRUE(list->selectedItems().isEmpty()) << when;
    EXPECT_EQ(name_box->text(), "") << when;
    EXPECT_FALSE(edit->isEnabled()) << when;
    EXPECT_FALSE(remove->isEnabled()) << when;
  };

  focus_list();
  expect_nobody_chosen("on opening");

  dialog.findChild<QPushButton*>("newButton")->click();
  name_box->insert("Cecilia");
  dialog.findChild<QLineEdit*>("numberBox")->insert("0703");
  dialog.findChild<QPushButton*>("saveButton")->click();
  focus_list();
  expect_nobody_chosen("after a save");

  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(1)).center());
  EXPECT_EQ(name_box->text(), "Bo");
  EXPECT_TRUE(edit->isEnabled());
  EXPECT_TRUE(remove->isEnabled());
}

}  // namespace
}  // namespace tolvane
