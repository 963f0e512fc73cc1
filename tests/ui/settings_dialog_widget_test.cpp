// The settings dialog on screen, opened from the main window's menu.
#include "ui/settings_dialog_widget.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "core/gateway_password_file.h"
#include "records/log_file.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "support/window_peripherals.h"
#include "ui/balance_dialog.h"
#include "ui/main_window_widget.h"
#include "ui/qt_main_window_host.h"

namespace tolvane {
namespace {

using C = SettingsControl;
using ::testing::HasSubstr;

class SettingsDialogWidgetTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  SettingsDialogWidgetTest() {
    host_.SetPresenter(&presenter_);
    host_.SetSettings(&settings);
    widget_.Bind(&presenter_);
    widget_.show();
  }

  QAction* MenuEntry(const QString& caption) {
    for (QAction* menu : widget_.menuBar()->actions()) {
      for (QAction* entry : menu->menu()->actions()) {
        if (entry->text() == caption) return entry;
      }
    }
    return nullptr;
  }
  // Runs `use` on the settings dialog once it is up, from inside its modal loop.
  void WhenDialogOpens(std::function<void(SettingsDialogWidget&)> use) {
    QTimer::singleShot(0, [use] {
      auto* dialog = qobject_cast<SettingsDialogWidget*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      use(*dialog);
    });
  }
  static void Type(QWidget* box, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(box);
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }

  sim::SimEventLoop loop_;
  sim::SimGateway gateway_;
  sim::SimHttpClient client_{loop_, gateway_};
  MainWindowWidget widget_;
  QtMainWindowHost host_{widget_, dialogs, clipboard};
  MainWindow presenter_{settings, Services(loop_, client_), host_};
};

TEST_F(SettingsDialogWidgetTest, ChangesOnEveryTabAreWrittenAndUsedByTheNextSend) {
  bool shown = false;
  WhenDialogOpens([&](SettingsDialogWidget& dialog) {
    shown = true;
    QTabWidget* tabs = dialog.Tabs();
    static_cast<QRadioButton*>(dialog.Widget(C::kUseTcp))->click();
    Type(dialog.Widget(C::kAccountName), "konto");
    Type(dialog.Widget(C::kPassword), "hemligt");
    tabs->setCurrentIndex(1);
    Type(dialog.Widget(C::kSmscNumber), "4670000");
    tabs->setCurrentIndex(2);
    Type(dialog.Widget(C::kPollTid), "1500");
    EXPECT_EQ(qobject_cast<QLineEdit*>(dialog.Widget(C::kPollTid))->text(), "999");
    // Letters never get into a number box.
    Type(dialog.Widget(C::kWaitMinutes), "a7b");
    EXPECT_EQ(qobject_cast<QLineEdit*>(dialog.Widget(C::kWaitMinutes))->text(), "7");
    tabs->setCurrentIndex(3);
    static_cast<QCheckBox*>(dialog.Widget(C::kRecordLog))->click();
    tabs->setCurrentIndex(4);
    Type(dialog.Widget(C::kMailServer), "pop.example.org");
    // Only the shown tab's controls take the focus from the keyboard.
    EXPECT_EQ(dialog.Widget(C::kTimeout)->focusPolicy(), Qt::NoFocus);
    EXPECT_NE(dialog.Widget(C::kMailServer)->focusPolicy(), Qt::NoFocus);
    static_cast<QPushButton*>(dialog.Widget(C::kOk))->click();
  });
  MenuEntry("&Settings...")->trigger();
  ASSERT_TRUE(shown);

  const std::string ini = book.dir().ReadFile("tolvmsg.ini");
  EXPECT_THAT(ini, HasSubstr("SMSCnumber=4670000\r\n"));
  EXPECT_THAT(ini, HasSubstr("VTid= 7\r\nPollTid= 999\r\n"));
  EXPECT_THAT(ini, HasSubstr("Logg=1\r\n"));
  EXPECT_THAT(ini, HasSubstr("MailServer=pop.example.org\r\n"));
  EXPECT_EQ(ReadGatewayPassword(book.Folder()), "hemligt");

  // The next send goes by the gateway, with the new account, and is logged.
  presenter_.OnTemporaryNumberToggled(true);
  presenter_.OnNumberEdited("0701234567");
  presenter_.OnMessageEdited("Hej");
  presenter_.StartSend();
  ASSERT_EQ(gateway_.Requests().size(), 1u);
  EXPECT_EQ(gateway_.Requests()[0].Field("accountPassword"), "hemligt");
  EXPECT_EQ(ReadLogRecords(book.Folder()).size(), 1u);
}

TEST_F(SettingsDialogWidgetTest, EnterInTheLogTabNeverClosesAndADeletedLogLeavesTheView) {
  const ProgramSettings before = settings;
  book.dir().WriteFile("loggfil.txt",
                       "\"d\",\"t\",\"r\",\"ok\",\"one\"\r\n"
                       "\"d\",\"t\",\"r\",\"ok\",\"two\"\r\n");
  bool still_open = false;
  WhenDialogOpens([&](SettingsDialogWidget& dialog) {
    auto shown = [&dialog](LogControl box) {
      return qobject_cast<QLineEdit*>(dialog.Widget(box))->text();
    };
    dialog.Tabs()->setCurrentIndex(3);
    static_cast<QPushButton*>(dialog.Widget(LogControl::kRead))->click();
    QTest::keyClicks(dialog.Widget(LogControl::kGoToBox), "2");
    QTest::keyClick(dialog.Widget(LogControl::kGoToBox), Qt::Key_Return);
    EXPECT_EQ(shown(LogControl::kMessage), "two");
    // The record number only shows where the viewer is.
    QTest::keyClick(dialog.Widget(LogControl::kRecordNumber), Qt::Key_Return);
    still_open = dialog.isVisible();
    EXPECT_EQ(shown(LogControl::kRecordNumber), "2");

    dialogs.QueueAnswer(MessageAnswer::kYes);
    static_cast<QPushButton*>(dialog.Widget(LogControl::kDelete))->click();
    EXPECT_EQ(shown(LogControl::kMessage), "");
    EXPECT_EQ(shown(LogControl::kRecordNumber), "");
    EXPECT_FALSE(dialog.Widget(LogControl::kPrevious)->isEnabled());
    EXPECT_FALSE(dialog.Widget(LogControl::kGoToBox)->isEnabled());
    Type(dialog.Widget(C::kModemInit), "AT&F");
    dialog.reject();  // Escape or the close box
  });
  MenuEntry("&Settings...")->trigger();
  EXPECT_TRUE(still_open);
  EXPECT_FALSE(std::filesystem::exists(book.dir().FilePath("loggfil.txt")));
  EXPECT_EQ(settings, before);
  EXPECT_FALSE(std::filesystem::exists(book.dir().FilePath("tolvmsg.ini")));
}

TEST_F(SettingsDialogWidgetTest, ABadProxyPortIsRefusedInItsBoxAndNothingTypedIsLost) {
  settings.AutoTid = "7:05";  // written by hand without the zero
  bool refused_in_place = false;
  WhenDialogOpens([&](SettingsDialogWidget& dialog) {
    EXPECT_EQ(qobject_cast<QComboBox*>(dialog.Widget(SettingsList::kAutoHour))->currentText(),
              "07");
    EXPECT_EQ(qobject_cast<QComboBox*>(dialog.Widget(SettingsList::kAutoMinute))->currentText(),
              "05");
    static_cast<QCheckBox*>(dialog.Widget(C::kUseProxy))->click();
    Type(dialog.Widget(C::kProxyServer), "proxy.lan");
    Type(dialog.Widget(C::kProxyPort), "70000");
    Type(dialog.Widget(C::kModemInit), "AT&F");
    dialog.Tabs()->setCurrentIndex(4);
    static_cast<QPushButton*>(dialog.Widget(C::kOk))->click();
    refused_in_place = dialog.isVisible() && dialog.Tabs()->currentIndex() == 0 &&
                       dialog.focusWidget() == dialog.Widget(C::kProxyPort);
    EXPECT_EQ(qobject_cast<QLineEdit*>(dialog.Widget(C::kModemInit))->text(), "AT&F");
    Type(dialog.Widget(C::kProxyPort), "3128");
    static_cast<QPushButton*>(dialog.Widget(C::kOk))->click();
  });
  MenuEntry("&Settings...")->trigger();
  EXPECT_TRUE(refused_in_place);
  EXPECT_THAT(dialogs.Texts(),
              ::testing::ElementsAre("Enter a port from 1 to 65535 for the proxyserver!"));
  const std::string ini = book.dir().ReadFile("tolvmsg.ini");
  EXPECT_THAT(ini, HasSubstr("TCPProxyPort=3128\r\n"));
  EXPECT_THAT(ini, HasSubstr("ModemInit=AT&F\r\n"));
  EXPECT_THAT(ini, HasSubstr("AutoTid=07:05\r\n"));
}

TEST_F(SettingsDialogWidgetTest, BalanceAndReceiptLinesShowOutsideTextAsPlainText) {
  sim::GatewayAnswer page = sim::GatewayAnswer::Status(200);
  page.body = "<b>x</b>";
  gateway_.SetAnswerForPath("/maxCredit", page);
  BalanceWindow window(client_, settings, {"http://gw", "konto", "pw"});
  BalanceDialog dialog(window);
  dialog.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.ResultLabel()->text() == "<b>x</b>"; }, 5000));
  EXPECT_EQ(dialog.ResultLabel()->textFormat(), Qt::PlainText);

  EXPECT_EQ(widget_.findChild<QLabel*>("receiptLine")->textFormat(), Qt::PlainText);
}

}  // namespace
}  // namespace tolvane
