#include "ui/quick_messages_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "sim/sim_event_loop.h"
#include "support/qt/modal_dialog.h"
#include "support/window_peripherals.h"
#include "ui/main_window_widget.h"
#include "ui/qt_main_window_host.h"

namespace tolvane {
namespace {

// The main window with its real host, so "&Message..." opens the real dialog.
class QuickMessagesDialogTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  QuickMessagesDialogTest() {
    qt_host_.SetPresenter(&presenter_);
    widget_.Bind(&presenter_);
    widget_.show();
  }

  // Presses "&Message..." and runs `drive` on the quick-message window while
  // it is open.
  void WithQuickMessages(const std::function<void(QDialog&)>& drive) {
    testing::WithModalDialog(
        [this] {
          for (QPushButton* button : widget_.findChildren<QPushButton*>()) {
            if (button->text() == "&Message...") button->click();
          }
        },
        drive);
  }

  sim::SimEventLoop loop_;
  MainWindowWidget widget_;
  QtMainWindowHost qt_host_{widget_, dialogs, clipboard};
  MainWindow presenter_{settings, Services(loop_), qt_host_};
};

template <typename T>
T* Child(QDialog& dialog, const char* name) {
  T* child = dialog.findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

TEST_F(QuickMessagesDialogTest, CloseLeavesTheMessageBoxAloneAndUsePutsTheMessageIntoIt) {
  ASSERT_EQ(presenter_.QuickMessages().Load(book.Folder()), 0);
  testing::TypeMessage(presenter_, "Draft");
  WithQuickMessages([](QDialog& dialog) {
    EXPECT_FALSE(Child<QPushButton>(dialog, "deleteButton")->isEnabled());
    Child<QPushButton>(dialog, "closeButton")->click();
    EXPECT_FALSE(dialog.isVisible());
  });
  EXPECT_EQ(presenter_.MessageText(), "Draft");

  WithQuickMessages([](QDialog& dialog) {
    auto* entry = Child<QPlainTextEdit>(dialog, "entryBox");
    auto* add = Child<QPushButton>(dialog, "addButton");
    QTest::keyClicks(entry, "Home at six");
    add->click();
    QTest::keyClicks(entry, "Line one");
    QTest::keyClick(entry, Qt::Key_Return);
    QTest::keyClicks(entry, QString::fromUtf8("L\xC3\xA5ne\xC2\xB4two"));
    EXPECT_EQ(Child<QLabel>(dialog, "charCount")->text(), "18");
    add->click();
    EXPECT_EQ(Child<QLabel>(dialog, "total")->text(), "2");
    EXPECT_EQ(Child<QLabel>(dialog, "shownMessage")->text(),
              QString::fromUtf8("Line one\nL\xC3\xA5ne\xC2\xB4two"));
    EXPECT_EQ(entry->toPlainText(), "");

    Child<QScrollBar>(dialog, "scrollBar")->setValue(1);
    EXPECT_EQ(Child<QLabel>(dialog, "shownMessage")->text(), "Home at six");
    Child<QPushButton>(dialog, "useButton")->click();
    EXPECT_FALSE(dialog.isVisible());
  });
  EXPECT_EQ(widget_.findChild<QPlainTextEdit*>("messageBox")->toPlainText(), "Home at six");
  EXPECT_EQ(widget_.findChild<QLabel*>("statusLine")->text(), "11 character in message (Max 160).");
  EXPECT_EQ(presenter_.State().saved_text, "Home at six");

  // The file as its layout alone says: 400 bytes a message, 8-bit text,
  // CR LF inside, blanks to the end.
  const std::string file = book.dir().ReadFile("meddelnd.dat");
  ASSERT_EQ(file.size(), 800u);
  EXPECT_EQ(file.substr(0, 400), "Home at six" + std::string(389, ' '));
  EXPECT_EQ(file.substr(400, 400), "Line one\r\nL\xE5ne\xB4two" + std::string(382, ' '));

  // A line break typed at the limit is not taken: no lone CR is stored.
  WithQuickMessages([](QDialog& dialog) {
    auto* entry = Child<QPlainTextEdit>(dialog, "entryBox");
    QTest::keyClicks(entry, QString(319, 'z'));
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(Child<QLabel>(dialog, "charCount")->text(), "319");
    Child<QPushButton>(dialog, "addButton")->click();
  });
  EXPECT_EQ(book.dir().ReadFile("meddelnd.dat").substr(800),
            std::string(319, 'z') + std::string(81, ' '));
}

}  // namespace
}  // namespace tolvane
