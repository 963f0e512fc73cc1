#include "ui/main_window_widget.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "sim/sim_event_loop.h"
#include "support/window_peripherals.h"

namespace tolvane {
namespace {

class MainWindowWidgetTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  MainWindowWidgetTest() {
    widget_.Bind(&presenter_);
    widget_.show();
  }

  QLabel* Label(const char* name) { return widget_.findChild<QLabel*>(name); }
  QPushButton* ButtonNamed(const QString& caption) {
    for (QPushButton* button : widget_.findChildren<QPushButton*>()) {
      if (button->text() == caption) return button;
    }
    return nullptr;
  }

  sim::SimEventLoop loop_;
  MainWindow presenter_{settings, Services(loop_), host};
  MainWindowWidget widget_;
};

TEST_F(MainWindowWidgetTest, OpensWithTheCaptionsAndCountsTypedCharacters) {
  EXPECT_EQ(widget_.windowTitle(), "Tolvane 2000");
  ASSERT_NE(ButtonNamed("&Send"), nullptr);
  ASSERT_NE(ButtonNamed("&Cancel"), nullptr);
  EXPECT_FALSE(ButtonNamed("&Cancel")->isEnabled());
  EXPECT_NE(ButtonNamed("&Groupsending >>"), nullptr);

  auto* box = widget_.findChild<QPlainTextEdit*>("messageBox");
  ASSERT_NE(box, nullptr);
  QTest::keyClicks(box, "Hello, world");
  EXPECT_EQ(Label("statusLine")->text(), "12 character in message (Max 160).");
  EXPECT_EQ(presenter_.State().saved_text, "Hello, world");
}

TEST_F(MainWindowWidgetTest, RefusedSendShowsTheReceiptLine) {
  auto* box = widget_.findChild<QPlainTextEdit*>("messageBox");
  QTest::keyClicks(box, "Hi");
  ButtonNamed("&Send")->click();
  EXPECT_EQ(Label("receiptLine")->text(), "No recipient!");
}

TEST_F(MainWindowWidgetTest, TypedTextBeyondTheCodePageBecomesQuestionMarks) {
  auto* box = widget_.findChild<QPlainTextEdit*>("messageBox");
  box->setPlainText(QString::fromUtf8("Hej \xC3\xA5\xC3\xA4\xC3\xB6 \xE2\x82\xAC \xD0\x96"));
  EXPECT_EQ(presenter_.MessageText(), "Hej \xE5\xE4\xF6 \x80 ?");
  EXPECT_EQ(box->toPlainText(), QString::fromUtf8("Hej \xC3\xA5\xC3\xA4\xC3\xB6 \xE2\x82\xAC ?"));
}

TEST_F(MainWindowWidgetTest, RecipientListIsRedrawnOnlyWhenItChanged) {
  book.Add("Anna", "070-111");
  book.Add("\xC5sa", "070-222");
  presenter_.SetPhoneBookCursor(&book.cursor());
  presenter_.RefreshRecipientList();
  auto* list = widget_.findChild<QListView*>("recipients");
  ASSERT_NE(list, nullptr);
  QAbstractItemModel* model = list->model();
  ASSERT_EQ(model->rowCount(), 2);
  EXPECT_EQ(model->index(1, 0).data().toString(), QString::fromUtf8("\xC3\x85sa"));
  EXPECT_EQ(list->currentIndex().row(), 0);

  QSignalSpy resets(model, &QAbstractItemModel::modelReset);
  QTest::keyClicks(widget_.findChild<QPlainTextEdit*>("messageBox"), "Hi");
  presenter_.SetStatusLine("Dialing...");
  EXPECT_EQ(resets.count(), 0);

  // Choosing on screen reaches the presenter, and does not refill the list.
  list->setCurrentIndex(model->index(1, 0));
  EXPECT_EQ(presenter_.List(MainList::kRecipients).selected, 1);
  EXPECT_EQ(presenter_.Control(MainControl::kNumberField).text, "070-222");
  EXPECT_EQ(resets.count(), 0);

  book.Add("Bo", "070-333");
  presenter_.SetRecipientListStale(true);
  presenter_.RefreshRecipientList();
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(model->rowCount(), 3);
  EXPECT_EQ(list->currentIndex().row(), 0);
}

TEST_F(MainWindowWidgetTest, MenusCarryTheirCaptions) {
  QStringList captions;
  for (QAction* menu : widget_.menuBar()->actions()) {
    for (QAction* entry : menu->menu()->actions()) {
      if (!entry->isSeparator()) captions << entry->text();
    }
  }
  EXPECT_EQ(captions, QStringList({"&Message...", "&Phonebook...", "&Settings...", "E&xit", "&Cut",
                                   "C&opy", "&Paste", "&Help Topics", "&About Tolvane..."}));
}

}  // namespace
}  // namespace tolvane
