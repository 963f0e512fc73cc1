// A line break in the message box is CR LF wherever it comes from: typed,
// pasted or put there by the program. It counts as two characters and goes on
// the wire as such.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "platform/qt/qt_clipboard.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "sim/sim_modem.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_smsc.h"
#include "support/window_peripherals.h"
#include "ui/main_window_widget.h"

namespace tolvane {
namespace {

using ::testing::HasSubstr;

class MessageBoxLineBreaksTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  MessageBoxLineBreaksTest() {
    presenter_.Modem().ConfigurePort();
    widget_.Bind(&presenter_);
    widget_.show();
    presenter_.OnTemporaryNumberToggled(true);
    presenter_.OnNumberEdited("0701234567");
  }

  QPlainTextEdit* Box() { return widget_.findChild<QPlainTextEdit*>("messageBox"); }
  QString Status() { return widget_.findChild<QLabel*>("statusLine")->text(); }
  void Send() {
    for (QPushButton* button : widget_.findChildren<QPushButton*>()) {
      if (button->text() == "&Send") button->click();
    }
  }
  void TypeTwoLines() {
    QTest::keyClicks(Box(), "ab");
    QTest::keyClick(Box(), Qt::Key_Return);
    QTest::keyClicks(Box(), "cd");
  }

  sim::SimEventLoop loop_;
  sim::Scheduler schedule_ = [this](int ms, std::function<void()> action) {
    loop_.After(std::chrono::milliseconds(ms), std::move(action));
  };
  sim::SimSmsc smsc_{schedule_};
  sim::SimModem modem_{schedule_, smsc_};
  sim::SimSerialPort port_{loop_, modem_};
  sim::SimGateway gateway_;
  sim::SimHttpClient client_{loop_, gateway_};
  MainWindow presenter_{settings, Services(loop_, port_, client_), host};
  MainWindowWidget widget_;
};

TEST_F(MessageBoxLineBreaksTest, ATypedLineBreakCountsTwoAndGoesToTheSmsCentreAsSpaceAndLineFeed) {
  TypeTwoLines();
  EXPECT_EQ(presenter_.MessageText(), "ab\r\ncd");
  EXPECT_EQ(Status(), "6 character in message (Max 160).");
  EXPECT_EQ(Box()->toPlainText(), "ab\ncd");

  Send();
  ASSERT_EQ(smsc_.Submits().size(), 1u);
  EXPECT_THAT(smsc_.Submits()[0], HasSubstr("//6162200A6364/"));
  EXPECT_THAT(smsc_.Problems(), ::testing::IsEmpty());
}

TEST_F(MessageBoxLineBreaksTest, ATypedLineBreakGoesToTheGatewayAsCrLf) {
  settings.AccessTyp = "TCP";
  TypeTwoLines();
  Send();
  ASSERT_EQ(gateway_.Requests().size(), 1u);
  EXPECT_THAT(gateway_.Requests()[0].http.body, HasSubstr("&message=ab%0D%0Acd&"));
}

TEST_F(MessageBoxLineBreaksTest, ALineBreakThatDoesNotFitWholeIsNotTaken) {
  QTest::keyClicks(Box(), QString(159, 'a'));
  QTest::keyClick(Box(), Qt::Key_Return);
  EXPECT_EQ(presenter_.MessageText(), std::string(159, 'a'));
  EXPECT_EQ(Box()->toPlainText(), QString(159, 'a'));
  EXPECT_EQ(Status(), "159 character in message (Max 160).");
}

TEST_F(MessageBoxLineBreaksTest, TextThatTheProgramOrThePasteBringsIsShownAndCountedTheSameWay) {
  presenter_.SetMessageText("one\r\ntwo");
  EXPECT_EQ(Box()->toPlainText(), "one\ntwo");
  EXPECT_EQ(Status(), "8 character in message (Max 160).");

  // Pasting over "two", chosen on screen after the line break.
  clipboard.SetText("2\r\n3");
  QTextCursor cursor = Box()->textCursor();
  cursor.setPosition(4);
  cursor.setPosition(7, QTextCursor::KeepAnchor);
  Box()->setTextCursor(cursor);
  presenter_.OnEditMenuOpening(true);
  for (QAction* action : widget_.findChildren<QAction*>()) {
    if (action->text() == "&Paste") action->trigger();
  }
  EXPECT_EQ(presenter_.MessageText(), "one\r\n2\r\n3");
  EXPECT_EQ(Box()->toPlainText(), "one\n2\n3");
}

TEST(QtClipboardTest, LineBreaksAreCrLfInsideAndTheSystemsOwnOutside) {
  QtClipboard clipboard;
  QGuiApplication::clipboard()->setText("a\nb");
  EXPECT_EQ(clipboard.Text(), "a\r\nb");
  clipboard.SetText("c\r\nd");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "c\nd");
}

}  // namespace
}  // namespace tolvane
