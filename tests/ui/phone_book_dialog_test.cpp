#include "ui/phone_book_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "phonebook/contacts_transfer.h"
#include "phonebook/group_tables.h"
#include "platform/local_file_system.h"
#include "platform/qt/qt_progress_window.h"
#include "support/fake_dialogs.h"
#include "support/fake_file_chooser.h"
#include "support/test_phone_book.h"
#include "ui/group_panel_widget.h"
#include "ui/import_preview_dialog.h"

namespace tolvane {
namespace {

using Source = GroupPanel::DragSource;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// The phone-book window with its group panel and contacts transfer.
class PhoneBookDialogTest : public ::testing::Test {
 protected:
  PhoneBookDialogTest() {
    for (const char* name : {"Anna", "Bertil", "Cecilia"}) book_.Add(name, "070");
    book_.store().CreateTable("Vänner");
    window_.Open();  // again, now that the people are there
    dialog_.AddGroupPanel(panel_, dialogs_);
    dialog_.AddContactsTransfer(transfer_);
    dialog_.show();
    names_ = dialog_.findChild<QListWidget*>("nameList");
    members_ = dialog_.findChild<QListWidget*>("memberList");
    trash_ = dialog_.findChild<QLabel*>("trashCan");
  }

  QPushButton* Button(const char* name) { return dialog_.findChild<QPushButton*>(name); }
  QLineEdit* Box(const char* name) { return dialog_.findChild<QLineEdit*>(name); }

  // Drags from `source` over `target` as Qt does (enter, move, then drop or
  // leave): the action shown (Move: welcome, Link: plain cursor, Ignore).
  static Qt::DropAction Drag(Source source, QWidget* target, bool release) {
    std::unique_ptr<QMimeData> data(GroupPanelWidget::DragData(source));
    const QPointF at = target->rect().center();
    // The actions a drag of the panel offers.
    const Qt::DropActions actions = Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(at.toPoint(), actions, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return Qt::IgnoreAction;
    QDragMoveEvent move(at.toPoint(), actions, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    if (release && move.isAccepted()) {
      QDropEvent drop(at, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &drop);
    } else {
      QDragLeaveEvent leave;
      QApplication::sendEvent(target, &leave);
    }
    return move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
  }

  // Runs the preview as the user would, with the keyboard alone.
  bool Preview(ImportPreview& preview) {
    ImportPreviewDialog shown(preview);
    shown.show();
    QApplication::setActiveWindow(&shown);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&shown));
    // Tab goes down the choices.
    shown.findChild<QTableWidget*>("previewTable")->setFocus();
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

  QStringList Shown(QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
  }

  testing::TestPhoneBook book_;
  testing::FakeDialogs dialogs_;
  testing::FakeFileChooser chooser_;
  QtProgressWindow progress_;
  // Return for OK, or Escape.
  Qt::Key finish_key_ = Qt::Key_Return;
  int closed_ = 0;
  PhoneBookWindow window_{book_.cursor(), dialogs_, [this] { ++closed_; }};
  GroupPanel panel_{window_, book_.cursor(), book_.store(), dialogs_};
  ContactsTransfer transfer_{
      window_, &panel_,
      ContactsTransferServices{book_.store(), ProgramFileSystem(), chooser_, dialogs_, progress_},
      [this](ImportPreview& preview) { return Preview(preview); }};
  PhoneBookDialog dialog_{window_};
  QListWidget* names_ = nullptr;
  QListWidget* members_ = nullptr;
  QLabel* trash_ = nullptr;
};

// Pressing and moving on a name starts a drag once the group panel is open.
TEST_F(PhoneBookDialogTest, NamesDraggedOntoTheMemberListJoinAndOntoTheTrashCanLeaveTheGroup) {
  auto* panel = dialog_.findChild<GroupPanelWidget*>("groupPanel");
  QSignalSpy started(panel, &GroupPanelWidget::dragStarted);
  QWidget* viewport = names_->viewport();
  const QPoint from = names_->visualItemRect(names_->item(1)).center();
  auto press_and_move = [&] {
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(0, 30)),
                     QPointF(viewport->mapToGlobal(from + QPoint(0, 30))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, from + QPoint(0, 30));
  };
  press_and_move();
  EXPECT_EQ(started.count(), 0) << "the panel is closed";
  Button("groupsButton")->click();
  EXPECT_GE(dialog_.width(), 8230 / 15);
  press_and_move();
  ASSERT_EQ(started.count(), 1);
  EXPECT_EQ(started.at(0).at(0).value<Source>(), Source::kNameList);
  EXPECT_EQ(window_.NameList().selected, 1) << "the press chose the name first";

  names_->setCurrentRow(1);
  EXPECT_EQ(Drag(Source::kNameList, dialog_.findChild<QLabel*>(), false), Qt::LinkAction);
  EXPECT_EQ(Drag(Source::kNameList, members_->viewport(), true), Qt::MoveAction);
  EXPECT_EQ(Shown(members_), QStringList{"Bertil"});
  EXPECT_THAT(MemberNames(book_.store(), "Vänner"), ElementsAre("Bertil"));

  // Onto the trash can a person is refused: the phone book keeps them.
  names_->setCurrentRow(0);
  EXPECT_EQ(Drag(Source::kNameList, trash_, true), Qt::IgnoreAction);
  EXPECT_EQ(panel_.Cursor(), GroupPanel::DragCursor::kPlain);
  EXPECT_EQ(Shown(names_), (QStringList{"Anna", "Bertil", "Cecilia"}));

  // Members dragged onto the trash can leave the group.
  for (int row : {0, 2}) {
    names_->setCurrentRow(row);
    ASSERT_EQ(Drag(Source::kNameList, members_->viewport(), true), Qt::MoveAction);
  }
  ASSERT_EQ(Shown(members_), (QStringList{"Bertil", "Anna", "Cecilia"}));

  members_->setCurrentRow(0);
  // Over its own list a member finds no taker; over the trash can it does.
  EXPECT_EQ(Drag(Source::kMemberList, members_->viewport(), true), Qt::LinkAction);
  EXPECT_EQ(Drag(Source::kMemberList, trash_, false), Qt::MoveAction);
  EXPECT_EQ(panel_.Cursor(), GroupPanel::DragCursor::kPlain) << "after leaving the trash can";
  EXPECT_EQ(Shown(members_), (QStringList{"Bertil", "Anna", "Cecilia"}));
  EXPECT_EQ(Drag(Source::kMemberList, trash_, true), Qt::MoveAction);
  EXPECT_EQ(Shown(members_), (QStringList{"Anna", "Cecilia"}));
  EXPECT_EQ(members_->currentRow(), 0);
  EXPECT_THAT(MemberNames(book_.store(), "Vänner"), ElementsAre("Anna", "Cecilia"));
}

TEST_F(PhoneBookDialogTest, WithTheKeyboardAloneAPersonJoinsAndLeavesAGroup) {
  QApplication::setActiveWindow(&dialog_);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
  auto key = [](int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(code), modifiers);
  };
  auto tab_to = [&](QWidget* target) {
    for (int i = 0; i < 30 && QApplication::focusWidget() != target; ++i) key(Qt::Key_Tab);
    return QApplication::focusWidget() == target;
  };
  QPushButton* add = Button("addMemberButton");
  QPushButton* remove = Button("removeMemberButton");
  EXPECT_EQ(add->text(), "Add &to group");

  ASSERT_TRUE(tab_to(Button("groupsButton")));
  key(Qt::Key_Space);
  ASSERT_TRUE(tab_to(names_));
  key(Qt::Key_Space);  // chooses the row with the focus
  for (int row = 0; row < 2; ++row) {
    key(Qt::Key_Insert);
    key(Qt::Key_Down);
  }
  add->click();
  EXPECT_EQ(Shown(members_), (QStringList{"Anna", "Bertil", "Cecilia"}));

  ASSERT_TRUE(tab_to(members_));
  key(Qt::Key_Space);
  key(Qt::Key_Delete);
  EXPECT_EQ(Shown(members_), (QStringList{"Bertil", "Cecilia"}));
  remove->click();
  EXPECT_EQ(Shown(members_), QStringList{"Cecilia"});
  EXPECT_THAT(MemberNames(book_.store(), "Vänner"), ElementsAre("Cecilia"));
  EXPECT_THAT(dialogs_.Texts(), IsEmpty());
}

// Qt makes the first row current when the list gets the focus; nobody is
// chosen all the same, on opening nor after a save.
TEST_F(PhoneBookDialogTest, EntersAPersonAndClosesThroughThePresenterWithNobodyChosenOnTheWay) {
  auto expect_nobody_chosen_on_focus = [this](const char* when) {
    QFocusEvent focus_in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(names_, &focus_in);
    EXPECT_TRUE(names_->selectedItems().isEmpty()) << when;
    EXPECT_FALSE(Button("editButton")->isEnabled()) << when;
  };
  expect_nobody_chosen_on_focus("on opening");
  EXPECT_FALSE(Button("saveButton")->isEnabled());
  Button("newButton")->click();
  EXPECT_EQ(Box("nameBox")->maxLength(), 40);
  Box("nameBox")->insert(QString::fromUtf8(" \xC3\x85sa "));
  Box("numberBox")->insert("0701");
  // Escape while the record is unsaved asks first; Cancel keeps it open.
  QTest::keyClick(&dialog_, Qt::Key_Escape);
  EXPECT_TRUE(dialog_.isVisible());
  EXPECT_THAT(dialogs_.Texts(), ElementsAre("The record is not saved. Save it?"));
  Button("saveButton")->click();
  ASSERT_EQ(names_->count(), 4);
  EXPECT_EQ(names_->item(3)->text(), QString::fromUtf8("\xC3\x85sa"));
  expect_nobody_chosen_on_focus("after a save");

  QTest::mouseClick(names_->viewport(), Qt::LeftButton, {},
                    names_->visualItemRect(names_->item(1)).center());
  EXPECT_EQ(Box("nameBox")->text(), "Bertil");
  EXPECT_TRUE(Button("editButton")->isEnabled());

  // The window's frame, with the record saved on the way out.
  Button("newButton")->click();
  Box("nameBox")->insert("Dora");
  Box("numberBox")->insert("0704");
  dialogs_.QueueAnswer(MessageAnswer::kSave);
  dialog_.close();
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(closed_, 1);
  EXPECT_TRUE(book_.cursor().SeekName("DORA"));
}

// The preview of an import is run with the keyboard alone.
TEST_F(PhoneBookDialogTest, ImportsWhatThePreviewChoseAndTellsTheResultWithItsDetails) {
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

  book_.dir().WriteFile("contacts.csv",
                        "Name,Mobile Phone,Categories\r\nAnna,0711,Jobb\r\nBo,0702,Jobb\r\n"
                        "Cecilia Alexandra Maria von L\xC3\xA4ngstnamn-Storsson,0703,\r\n");
  chooser_.to_open = book_.dir().FilePath("contacts.csv");
  finish_key_ = Qt::Key_Escape;
  import->click();
  EXPECT_TRUE(dialogs_.Texts().empty()) << "Escape left the preview, nothing imported";
  finish_key_ = Qt::Key_Return;
  import->click();
  EXPECT_THAT(dialogs_.Texts(), ElementsAre("1 added, 1 updated, 1 skipped (see details)"));
  EXPECT_THAT(dialogs_.details(), ElementsAre(HasSubstr("Line 4: Cecilia")));
  EXPECT_EQ(names_->count(), 4) << "Bo added";
  ASSERT_TRUE(book_.cursor().SeekName("Anna"));
  EXPECT_EQ(book_.cursor().Field(kFieldTelenummer), "0711");
  EXPECT_THAT(MemberNames(book_.store(), "Import"), ElementsAre("Anna", "Bo"));
}

}  // namespace
}  // namespace tolvane
