// The Messages window used by keyboard: a conversation appears, is read,
// answered, searched and deleted.
#include "ui/messages_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "support/messages_scenario.h"

namespace tolvane::testing {
namespace {

class MessagesDialogTest : public MessagesScenario {
 protected:
  MessagesDialogTest() : dialog(*window) {
    list = dialog.findChild<QListView*>("conversations");
    conversation = dialog.findChild<QListWidget*>("conversation");
    reply = dialog.findChild<QPlainTextEdit*>("reply");
    search = dialog.findChild<QLineEdit*>("search");
  }
  QPushButton* Button(const char* name) const {
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
      if (button->accessibleName() == QLatin1String(name)) return button;
    }
    return nullptr;
  }
  QString Row(int row) const { return list->model()->index(row, 0).data().toString(); }
  QString Line(const char* name) const { return dialog.findChild<QLabel*>(name)->text(); }

  MessagesDialog dialog;
  QListView* list;
  QListWidget* conversation;
  QPlainTextEdit* reply;
  QLineEdit* search;
};

TEST_F(MessagesDialogTest, AConversationAppearsIsReadAnsweredSearchedAndDeleted) {
  window->Open();
  ASSERT_TRUE(dialog.isVisible());
  EXPECT_EQ(Line("receiveLine").toStdString(), MessagesWindow::kCannotReceive);
  window->Arrived(Receive("+46709999999", "Other", 0));
  window->Arrived(Receive("+46701111111", "Can we meet?", 1));
  ASSERT_EQ(list->model()->rowCount(), 2);
  EXPECT_TRUE(Row(0).startsWith("Anna (1)   ")) << Row(0).toStdString();

  list->setFocus();
  QTest::keyClick(list, Qt::Key_Home);
  EXPECT_EQ(Line("conversationTitle"), "Anna (+46701111111)");
  ASSERT_EQ(conversation->count(), 1);
  EXPECT_TRUE(conversation->item(0)->text().endsWith("\nCan we meet?"));
  EXPECT_TRUE(Row(0).startsWith("Anna   "));

  QTest::keyClicks(reply, "See you");
  EXPECT_EQ(Line("counter"), "153 left · 1 SMS");
  Button("Send")->setFocus();
  QTest::keyClick(Button("Send"), Qt::Key_Space);
  EXPECT_EQ(smsc.Submits().size(), 1u);
  EXPECT_EQ(reply->toPlainText(), "");
  ASSERT_EQ(conversation->count(), 2);
  EXPECT_TRUE(conversation->item(1)->text().startsWith("Me, "));
  EXPECT_TRUE(conversation->item(1)->text().endsWith(" (delivered)\nSee you"));

  QTest::keyClicks(search, "meet");
  ASSERT_EQ(list->model()->rowCount(), 1);
  EXPECT_TRUE(Row(0).endsWith("\nCan we meet?"));
  search->clear();
  EXPECT_TRUE(Row(0).endsWith("\nSee you"));

  dialogs.QueueAnswer(MessageAnswer::kYes);
  Button("Delete")->setFocus();
  QTest::keyClick(Button("Delete"), Qt::Key_Space);
  EXPECT_EQ(list->model()->rowCount(), 1);
  EXPECT_EQ(conversation->count(), 0);

  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(window->Visible());
}

}  // namespace
}  // namespace tolvane::testing
