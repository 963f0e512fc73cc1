// The settings dialog opened from the main window's menu; and what a screen
// reader calls each input of each window.
#include "ui/settings_dialog_widget.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <filesystem>

#include "bulk/time_to_send_dialog.h"
#include "core/secret_store.h"
#include "gsm/gsm_settings.h"
#include "phonebook/group_panel.h"
#include "phonebook/new_group_dialog.h"
#include "phonebook/phone_book_window.h"
#include "records/log_file.h"
#include "records/quick_messages_window.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "support/fake_serial_port_list.h"
#include "support/qt/modal_dialog.h"
#include "support/window_peripherals.h"
#include "ui/balance_dialog.h"
#include "ui/main_window_widget.h"
#include "ui/new_group_dialog_widget.h"
#include "ui/phone_book_dialog.h"
#include "ui/qt_main_window_host.h"
#include "ui/quick_messages_dialog.h"
#include "ui/time_to_send_widget.h"

namespace tolvane {
namespace {

using C = SettingsControl;
using ::testing::HasSubstr;

bool IsInput(const QWidget* widget) {
  return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
         qobject_cast<const QAbstractItemView*>(widget) ||
         qobject_cast<const QPlainTextEdit*>(widget) ||
         qobject_cast<const QAbstractSlider*>(widget) ||
         qobject_cast<const QAbstractSpinBox*>(widget);
}

// The parts of a drop-down list or a scrolled view are not inputs of their own.
bool InsideAnotherInput(const QWidget* widget, const QWidget* window) {
  for (const QWidget* up = widget->parentWidget(); up != nullptr && up != window;
       up = up->parentWidget()) {
    if (qobject_cast<const QComboBox*>(up) || qobject_cast<const QAbstractScrollArea*>(up) ||
        qobject_cast<const QAbstractSpinBox*>(up)) {
      return true;
    }
  }
  return false;
}

// Its accessible name, else the text of the label it is the buddy of.
QString CaptionOf(const QWidget* input) {
  if (!input->accessibleName().isEmpty()) return input->accessibleName();
  for (const QLabel* label :
       input->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
    if (label->buddy() == input) return label->text();
  }
  return {};
}

// Every input of the window has a caption that is not a frame's title, and a
// screen reader hears it (a drop-down list is heard by its chosen entry, with
// the caption as its label).
void ExpectEveryInputCaptioned(const QWidget& window) {
  int inputs = 0;
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!IsInput(widget) || InsideAnotherInput(widget, &window)) continue;
    ++inputs;
    const QString caption = CaptionOf(widget);
    SCOPED_TRACE(window.windowTitle().toStdString() + ": " + widget->metaObject()->className() +
                 " \"" + caption.toStdString() + "\"");
    EXPECT_FALSE(caption.isEmpty());
    for (const QWidget* up = widget->parentWidget(); up != nullptr; up = up->parentWidget()) {
      if (const auto* frame = qobject_cast<const QGroupBox*>(up)) {
        EXPECT_NE(caption, frame->title());
      }
    }
    if (qobject_cast<QComboBox*>(widget) == nullptr) {
      QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(widget);
      ASSERT_NE(heard, nullptr);
      EXPECT_EQ(heard->text(QAccessible::Name), QString(caption).remove('&'));
    }
  }
  EXPECT_GT(inputs, 0) << window.windowTitle().toStdString();
}

class SettingsDialogWidgetTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  SettingsDialogWidgetTest() {
    host_.SetPresenter(&presenter_);
    host_.SetSettings(&settings);
    widget_.Bind(&presenter_);
    widget_.show();
  }

  void WithSettingsDialog(const std::function<void(SettingsDialogWidget&)>& drive) {
    QAction* entry = nullptr;
    for (QAction* menu : widget_.menuBar()->actions()) {
      for (QAction* action : menu->menu()->actions()) {
        if (action->text() == "&Settings...") entry = action;
      }
    }
    testing::WithModalDialog(
        [entry] { entry->trigger(); },
        [&drive](QDialog& dialog) { drive(*qobject_cast<SettingsDialogWidget*>(&dialog)); });
  }
  // The transports' pages, in the order of the list.
  static constexpr size_t kGsmPage = 0, kSmppPage = 1;
  static QRadioButton* OptionCaptioned(SettingsDialogWidget& dialog, const QString& caption) {
    for (QRadioButton* option : dialog.findChildren<QRadioButton*>()) {
      if (option->text() == caption) return option;
    }
    ADD_FAILURE() << "no option " << caption.toStdString();
    return nullptr;
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

// Escape leaves the settings and the file as they were; Enter in the log tab
// never closes the dialog. Changes on every tab are written and used by the
// next send. A pasted value is kept whole and, over its box's limit, refused
// in its box. Only the chosen transport's page shows.
TEST_F(SettingsDialogWidgetTest, EscapeKeepsNothingAndChangesOnEveryTabAreWrittenAndUsed) {
  const ProgramSettings before = settings;
  book.dir().WriteFile("loggfil.txt",
                       "\"d\",\"t\",\"r\",\"ok\",\"one\"\r\n"
                       "\"d\",\"t\",\"r\",\"ok\",\"two\"\r\n");
  WithSettingsDialog([&](SettingsDialogWidget& dialog) {
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
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(shown(LogControl::kRecordNumber), "2");
    Type(dialog.Widget(C::kModemInit), "AT&F");  // then Escape
  });
  EXPECT_EQ(settings, before);
  EXPECT_FALSE(std::filesystem::exists(book.dir().FilePath("tolvmsg.ini")));

  WithSettingsDialog([&](SettingsDialogWidget& dialog) {
    QTabWidget* tabs = dialog.Tabs();
    // Typed while the modem is chosen, kept once the gateway is.
    tabs->setCurrentIndex(1);
    Type(dialog.Widget(C::kSmscNumber), "4670000");
    tabs->setCurrentIndex(0);
    static_cast<QRadioButton*>(dialog.Widget(C::kUseTcp))->click();
    Type(dialog.Widget(C::kAccountName), "konto");
    Type(dialog.Widget(C::kPassword), "hemligt");
    static_cast<QCheckBox*>(dialog.Widget(C::kUseProxy))->click();
    Type(dialog.Widget(C::kProxyServer), "proxy.lan");
    Type(dialog.Widget(C::kProxyPort), "70000");
    tabs->setCurrentIndex(2);
    Type(dialog.Widget(C::kWaitMinutes), "7");
    tabs->setCurrentIndex(3);
    static_cast<QCheckBox*>(dialog.Widget(C::kRecordLog))->click();
    tabs->setCurrentIndex(4);
    Type(dialog.Widget(C::kMailServer), "pop.example.org");
    // Only the shown tab's controls take the focus from the keyboard.
    EXPECT_EQ(dialog.Widget(C::kTimeout)->focusPolicy(), Qt::NoFocus);
    EXPECT_NE(dialog.Widget(C::kMailServer)->focusPolicy(), Qt::NoFocus);
    // A bad value is refused in its box, with nothing typed lost.
    static_cast<QPushButton*>(dialog.Widget(C::kOk))->click();
    EXPECT_EQ(dialog.focusWidget(), dialog.Widget(C::kProxyPort));
    Type(dialog.Widget(C::kProxyPort), "3128");
    static_cast<QPushButton*>(dialog.Widget(C::kOk))->click();
  });
  // Every tab's edits reached the file.
  for (const char* line : {"TCPProxyPort=3128\r\n", "SMSCnumber=4670000\r\n", "VTid= 7\r\n",
                           "Logg=1\r\n", "MailServer=pop.example.org\r\n"}) {
    EXPECT_THAT(book.dir().ReadFile("tolvmsg.ini"), HasSubstr(line));
  }

  // The next send goes by the gateway, with the new account, and is logged.
  presenter_.OnTemporaryNumberToggled(true);
  presenter_.OnNumberEdited("0701234567");
  presenter_.OnMessageEdited("Hej");
  presenter_.StartSend();
  ASSERT_EQ(gateway_.Requests().size(), 1u);
  EXPECT_EQ(gateway_.Requests()[0].Field("accountPassword"), "hemligt");
  EXPECT_EQ(client_.ProxyPort(), 3128);
  EXPECT_EQ(ReadLogRecords(book.Folder()).size(), 3u);  // after the two read above

  const testing::FakeSerialPortList ports(
      std::vector<SerialPortInfo>{{"/dev/ttyUSB2", "Huawei Mobile Broadband"}});
  host_.SetSerialPortList(&ports);
  WithSettingsDialog([&](SettingsDialogWidget& dialog) {
    // The page's fields: device, baud, SMS centre, init command, PIN.
    auto field = [&](size_t i) { return dialog.PageField(kGsmPage, i); };
    auto* device = qobject_cast<QComboBox*>(field(0));
    OptionCaptioned(dialog, "SMPP")->click();
    Type(dialog.PageField(kSmppPage, 0), "smpp.example.net");
    auto* system_id = qobject_cast<QLineEdit*>(dialog.PageField(kSmppPage, 3));
    QApplication::clipboard()->setText("sixteen-chars-id");
    system_id->setFocus();
    QTest::keyClick(system_id, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(system_id->text(), "sixteen-chars-id");
    static_cast<QPushButton*>(dialog.Widget(C::kOk))->click();
    EXPECT_EQ(dialog.focusWidget(), system_id);

    OptionCaptioned(dialog, "GSM modem")->click();
    EXPECT_FALSE(system_id->isVisibleTo(&dialog));
    ASSERT_TRUE(device->isEnabled() && device->isVisibleTo(&dialog));
    EXPECT_EQ(device->itemText(0), "/dev/ttyUSB2  (Huawei Mobile Broadband)");
    device->setFocus();
    QTest::keyClick(device, Qt::Key_Down);
    EXPECT_EQ(device->currentText(), "/dev/ttyUSB2");
    // Tab walks the page's boxes in order, from the device to the PIN.
    for (size_t next = 1; next <= 4; ++next) {
      QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(dialog.focusWidget(), field(next));
    }
    EXPECT_EQ(qobject_cast<QLineEdit*>(field(4))->echoMode(), QLineEdit::Password);
    // Letters never get into a number box.
    Type(field(1), "96x00");
    EXPECT_EQ(qobject_cast<QLineEdit*>(field(1))->text(), "9600");
    Type(field(4), "2468");
    static_cast<QPushButton*>(dialog.Widget(C::kOk))->click();
  });
  const std::string ini = book.dir().ReadFile("tolvmsg.ini");
  EXPECT_THAT(ini, HasSubstr("AccessTyp=GSM\r\n"));
  EXPECT_THAT(ini, HasSubstr("[GSM]\r\nDevice=/dev/ttyUSB2\r\nBaud=9600\r\n"));
  EXPECT_THAT(ini, ::testing::Not(HasSubstr("2468")));
  EXPECT_EQ(SecretStore(book.Folder()).ReadSecret(kGsmPinSecret), "2468");
}

TEST_F(SettingsDialogWidgetTest, EveryInputIsHeardByItsCaptionAndOutsideTextIsPlain) {
  ExpectEveryInputCaptioned(widget_);

  const testing::FakeSerialPortList ports(std::vector<SerialPortInfo>{{"/dev/ttyS0", "16550A"}});
  SettingsDialog settings_dialog({settings, transports, dialogs, host_, nullptr, &ports});
  SettingsDialogWidget settings_window(settings_dialog);
  ExpectEveryInputCaptioned(settings_window);
  // Its drop-down lists too are heard by their captions.
  for (QComboBox* list : settings_window.findChildren<QComboBox*>()) {
    QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(list);
    SCOPED_TRACE(CaptionOf(list).toStdString());
    EXPECT_EQ(heard->text(QAccessible::Name), CaptionOf(list).remove('&'));
    EXPECT_EQ(heard->text(QAccessible::Value), list->currentText());
    if (list->isEditable()) {
      EXPECT_EQ(QAccessible::queryAccessibleInterface(list->lineEdit())->text(QAccessible::Name),
                CaptionOf(list));
    }
  }

  PhoneBookWindow phone_book(book.cursor(), dialogs, [] {});
  GroupPanel groups(phone_book, book.cursor(), book.store(), dialogs);
  PhoneBookDialog phone_book_window(phone_book);
  phone_book_window.AddGroupPanel(groups, dialogs);
  ExpectEveryInputCaptioned(phone_book_window);

  NewGroupDialog new_group(groups, dialogs);
  NewGroupDialogWidget new_group_window(new_group);
  EXPECT_EQ(new_group_window.windowTitle(), "Save as...");
  ExpectEveryInputCaptioned(new_group_window);

  QuickMessagesWindow quick_messages(presenter_.QuickMessages(), dialogs, clipboard,
                                     [](const std::string&) {});
  QuickMessagesDialog quick_messages_window(quick_messages);
  ExpectEveryInputCaptioned(quick_messages_window);

  TimeToSendDialog time_to_send(loop_.Now(), [](const std::string&, const std::string&) {});
  TimeToSendWidget time_to_send_window(time_to_send);
  EXPECT_EQ(time_to_send_window.windowTitle(), "Time to send...");
  ExpectEveryInputCaptioned(time_to_send_window);

  // The balance and the receipt line show outside text as plain text.
  sim::GatewayAnswer page = sim::GatewayAnswer::Status(200);
  page.body = "<b>x</b>";
  gateway_.SetAnswerForPath("/maxCredit", page);
  BalanceWindow window(client_, settings, {"http://gw", "konto", "pw"});
  BalanceDialog dialog(window);
  dialog.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.ResultLabel()->text() == "<b>x</b>"; }, 5000));
  EXPECT_EQ(dialog.ResultLabel()->textFormat(), Qt::PlainText);
  // It only shows the gateway's answer: it has no input.
  for (QWidget* widget : dialog.findChildren<QWidget*>()) EXPECT_FALSE(IsInput(widget));

  EXPECT_EQ(widget_.findChild<QLabel*>("receiptLine")->textFormat(), Qt::PlainText);
}

}  // namespace
}  // namespace tolvane
