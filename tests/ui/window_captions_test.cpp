// What a screen reader calls each input of each window: its own caption,
// never the title of the frame around it.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "bulk/time_to_send_dialog.h"
#include "phonebook/group_panel.h"
#include "phonebook/new_group_dialog.h"
#include "phonebook/phone_book_window.h"
#include "records/quick_messages_window.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "support/window_peripherals.h"
#include "ui/balance_dialog.h"
#include "ui/main_window_widget.h"
#include "ui/new_group_dialog_widget.h"
#include "ui/phone_book_dialog.h"
#include "ui/qt_main_window_host.h"
#include "ui/quick_messages_dialog.h"
#include "ui/settings_dialog_widget.h"
#include "ui/time_to_send_widget.h"

namespace tolvane {
namespace {

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

class WindowCaptionsTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  WindowCaptionsTest() {
    host_.SetPresenter(&presenter_);
    host_.SetSettings(&settings);
    widget_.Bind(&presenter_);
  }

  sim::SimEventLoop loop_;
  sim::SimGateway gateway_;
  sim::SimHttpClient client_{loop_, gateway_};
  MainWindowWidget widget_;
  QtMainWindowHost host_{widget_, dialogs, clipboard};
  MainWindow presenter_{settings, Services(loop_, client_), host_};
};

TEST_F(WindowCaptionsTest, EveryInputOfEveryWindowIsHeardByItsCaption) {
  widget_.setWindowTitle("main window");
  ExpectEveryInputCaptioned(widget_);

  SettingsDialog settings_dialog({settings, dialogs, host_, nullptr, {"/dev/ttyS0"}});
  SettingsDialogWidget settings_window(settings_dialog);
  ExpectEveryInputCaptioned(settings_window);

  PhoneBookWindow phone_book(book.cursor(), dialogs, [] {});
  GroupPanel groups(phone_book, book.cursor(), book.store(), dialogs);
  PhoneBookDialog phone_book_window(phone_book);
  phone_book_window.AddGroupPanel(groups, dialogs);
  ExpectEveryInputCaptioned(phone_book_window);

  NewGroupDialog new_group(groups, dialogs);
  NewGroupDialogWidget new_group_window(new_group);
  ExpectEveryInputCaptioned(new_group_window);

  QuickMessagesWindow quick_messages(presenter_.QuickMessages(), dialogs, clipboard,
                                     [](const std::string&) {});
  QuickMessagesDialog quick_messages_window(quick_messages);
  ExpectEveryInputCaptioned(quick_messages_window);

  TimeToSendDialog time_to_send(loop_.Now(), [](const std::string&, const std::string&) {});
  TimeToSendWidget time_to_send_window(time_to_send);
  ExpectEveryInputCaptioned(time_to_send_window);

  // The balance window only shows the gateway's answer: it has no input.
  BalanceWindow balance(client_, settings, {"http://gw", "konto", "pw"});
  BalanceDialog balance_window(balance);
  for (QWidget* widget : balance_window.findChildren<QWidget*>()) EXPECT_FALSE(IsInput(widget));
}

}  // namespace
}  // namespace tolvane
