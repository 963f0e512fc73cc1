#include "ui/group_panel_widget.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "phonebook/group_tables.h"
#include "phonebook/new_group_dialog.h"
#include "support/fake_dialogs.h"
#include "support/test_phone_book.h"
#include "ui/new_group_dialog_widget.h"
#include "ui/phone_book_dialog.h"

namespace tolvane {
namespace {

using Source = GroupPanel::DragSource;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The phone-book window with its group panel, offscreen, and drags delivered
// to the targets as Qt delivers them: enter, move, then drop or leave.
class GroupPanelWidgetTest : public ::testing::Test {
 protected:
  GroupPanelWidgetTest() {
    for (const char* name : {"Anna", "Bertil", "Cecilia"}) book_.Add(name, "070");
    book_.store().CreateTable("V\xE4nner");
    window_.Open();  // again, now that the people are there
    dialog_.AddGroupPanel(panel_, dialogs_);
    dialog_.show();
    names_ = dialog_.findChild<QListWidget*>("nameList");
    members_ = dialog_.findChild<QListWidget*>("memberList");
    trash_ = dialog_.findChild<QLabel*>("trashCan");
  }

  QPushButton* Button(const char* name) { return dialog_.findChild<QPushButton*>(name); }

  // Drags data from `source` over `target` as Qt does (enter, then a move):
  // whether the target welcomed it; then drops it there, or leaves.
  static bool Drag(Source source, QWidget* target, bool release) {
    std::unique_ptr<QMimeData> data(GroupPanelWidget::DragData(source));
    const QPointF at = target->rect().center();
    QDragEnterEvent enter(at.toPoint(), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDragMoveEvent move(at.toPoint(), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    if (release && move.isAccepted()) {
      QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &drop);
    } else {
      QDragLeaveEvent leave;
      QApplication::sendEvent(target, &leave);
    }
    return move.isAccepted();
  }

  QStringList Shown(QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
  }

  testing::TestPhoneBook book_;
  testing::FakeDialogs dialogs_;
  PhoneBookWindow window_{book_.cursor(), dialogs_, nullptr};
  GroupPanel panel_{window_, book_.cursor(), book_.store(), dialogs_};
  PhoneBookDialog dialog_{window_};
  QListWidget* names_ = nullptr;
  QListWidget* members_ = nullptr;
  QLabel* trash_ = nullptr;
};

TEST_F(GroupPanelWidgetTest, TheGroupsButtonWidensTheWindowForThePanel) {
  ASSERT_TRUE(names_ && members_ && trash_);
  QWidget* panel = dialog_.findChild<QWidget*>("groupPanel");
  QPushButton* toggle = Button("groupsButton");
  EXPECT_EQ(toggle->text(), "&Groups >>");
  EXPECT_FALSE(panel->isVisible());
  const int narrow = dialog_.width();

  toggle->click();
  EXPECT_EQ(toggle->text(), "&Groups <<");
  EXPECT_TRUE(panel->isVisible());
  EXPECT_GE(dialog_.width(), 8230 / 15);
  EXPECT_GT(dialog_.width(), narrow);
  EXPECT_EQ(Shown(dialog_.findChild<QListWidget*>("groupList")),
            QStringList{QString::fromUtf8("V\xC3\xA4nner")});

  toggle->click();
  EXPECT_FALSE(panel->isVisible());
  EXPECT_LT(dialog_.width(), 8230 / 15);
}

TEST_F(GroupPanelWidgetTest, NamesDraggedOntoTheMemberListJoinTheGroup) {
  Button("groupsButton")->click();
  names_->setCurrentRow(1);
  EXPECT_TRUE(Drag(Source::kNameList, members_->viewport(), true));
  EXPECT_EQ(Shown(members_), QStringList{"Bertil"});
  EXPECT_THAT(MemberNames(book_.store(), "V\xE4nner"), ElementsAre("Bertil"));

  // Onto the trash can a person is refused: the phone book keeps them.
  names_->setCurrentRow(0);
  EXPECT_FALSE(Drag(Source::kNameList, trash_, true));
  EXPECT_EQ(panel_.Cursor(), GroupPanel::DragCursor::kPlain);
  EXPECT_EQ(Shown(names_), (QStringList{"Anna", "Bertil", "Cecilia"}));

  // Other applications' drags are no concern of the panel.
  QMimeData text;
  text.setText("Anna");
  QDragEnterEvent enter(members_->viewport()->rect().center(), Qt::CopyAction, &text,
                        Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(members_->viewport(), &enter);
  EXPECT_FALSE(enter.isAccepted());
  EXPECT_THAT(dialogs_.Texts(), IsEmpty());
}

TEST_F(GroupPanelWidgetTest, MembersDraggedOntoTheTrashCanLeaveTheGroup) {
  Button("groupsButton")->click();
  for (int row : {0, 2}) {
    names_->setCurrentRow(row);
    ASSERT_TRUE(Drag(Source::kNameList, members_->viewport(), true));
  }
  ASSERT_EQ(Shown(members_), (QStringList{"Anna", "Cecilia"}));

  members_->setCurrentRow(0);
  // Over its own list a member finds no taker; over the trash can it does.
  EXPECT_FALSE(Drag(Source::kMemberList, members_->viewport(), true));
  EXPECT_TRUE(Drag(Source::kMemberList, trash_, false));
  EXPECT_EQ(panel_.Cursor(), GroupPanel::DragCursor::kPlain) << "after leaving the trash can";
  EXPECT_EQ(Shown(members_), (QStringList{"Anna", "Cecilia"}));
  EXPECT_TRUE(Drag(Source::kMemberList, trash_, true));
  EXPECT_EQ(Shown(members_), QStringList{"Cecilia"});
  EXPECT_EQ(members_->currentRow(), 0);
  EXPECT_THAT(MemberNames(book_.store(), "V\xE4nner"), ElementsAre("Cecilia"));
}

TEST_F(GroupPanelWidgetTest, PressingAndMovingOnANameStartsADrag) {
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
  press_and_move();
  ASSERT_EQ(started.count(), 1);
  EXPECT_EQ(started.at(0).at(0).value<Source>(), Source::kNameList);
  EXPECT_EQ(window_.NameList().selected, 1) << "the press chose the name first";
}

TEST(NewGroupDialogWidgetTest, StaysOpenForANameTakenAndClosesWhenCreated) {
  testing::TestPhoneBook book;
  testing::FakeDialogs dialogs;
  PhoneBookWindow window(book.cursor(), dialogs, nullptr);
  GroupPanel panel(window, book.cursor(), book.store(), dialogs);
  panel.Toggle();
  NewGroupDialog dialog(panel, dialogs);
  NewGroupDialogWidget widget(dialog);
  widget.show();
  EXPECT_EQ(widget.windowTitle(), "Save as...");
  auto* name = widget.findChild<QLineEdit*>("groupName");
  auto* ok = widget.findChild<QPushButton*>("okButton");
  ASSERT_TRUE(name && ok);

  QTest::keyClicks(name, "TELELIST");
  ok->click();
  EXPECT_TRUE(widget.isVisible());
  EXPECT_THAT(dialogs.Texts(), ElementsAre("Name already exist!"));

  name->clear();
  name->insert(QString::fromUtf8("V\xC3\xA4nner"));
  QTest::keyClick(name, Qt::Key_Return);
  EXPECT_FALSE(widget.isVisible());
  EXPECT_EQ(widget.result(), QDialog::Accepted);
  EXPECT_THAT(GroupNames(book.store()), ElementsAre("V\xE4nner"));
  EXPECT_EQ(panel.GroupList().SelectedText(), "V\xE4nner");
}

}  // namespace
}  // namespace tolvane
