// The main window bound to its presenter over the simulated modem. No test
// may make Qt warn about a text cursor.
#include "ui/main_window_widget.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bulk/group_sending.h"
#include "platform/qt/qt_clipboard.h"
#include "support/qt/modal_dialog.h"
#include "support/scenarios.h"
#include "ui/qt_main_window_host.h"

namespace tolvane::testing {
namespace {

using ::testing::IsEmpty;

// What Qt said about text cursors, such as a caret put past the end of a text.
std::vector<std::string>& TextCursorWarnings() {
  static auto* warnings = new std::vector<std::string>;
  return *warnings;
}
QtMessageHandler previous_handler = nullptr;

class MainWindowWidgetTest : public ModemScenario {
 protected:
  MainWindowWidgetTest() {
    TextCursorWarnings().clear();
    previous_handler = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
          if (text.contains("QTextCursor")) TextCursorWarnings().push_back(text.toStdString());
          if (previous_handler != nullptr) previous_handler(type, context, text);
        });
    book.AddToGroup("Vänner", "Anna", "0701");
    book.AddToGroup("Jobb", "Bertil", "0702");
    book.AddToGroup("Jobb", "Cecilia", "0703");
    window->SetPhoneBookStore(&book.store());
    window->NewMessage();
    widget_->Bind(window.get());
    widget_->show();
    // The real dialogs open over the window.
    qt_host_.SetPresenter(window.get());
    ON_CALL(host, OpenTimeToSend()).WillByDefault([this] { qt_host_.OpenTimeToSend(); });
    ON_CALL(host, OpenQuickMessages()).WillByDefault([this] { qt_host_.OpenQuickMessages(); });
  }
  ~MainWindowWidgetTest() override {
    widget_.reset();
    qInstallMessageHandler(previous_handler);
    EXPECT_THAT(TextCursorWarnings(), IsEmpty());
  }

  template <typename T = QPushButton>
  T* Named(const QString& caption) {
    for (T* control : widget_->findChildren<T*>()) {
      if (control->text() == caption) return control;
    }
    return nullptr;
  }
  QPlainTextEdit* Box() { return widget_->findChild<QPlainTextEdit*>("messageBox"); }
  void TriggerMenu(const QString& caption) {
    for (QAction* action : widget_->findChildren<QAction*>()) {
      if (action->text() == caption) action->trigger();
    }
  }
  QColor StatusColour() {
    return widget_->findChild<QLabel*>("statusLine")->palette().color(QPalette::WindowText);
  }
  QString Label(const char* name) { return widget_->findChild<QLabel*>(name)->text(); }
  QStringList Shown(const char* name) {
    QAbstractItemModel* model = widget_->findChild<QListView*>(name)->model();
    QStringList items;
    for (int row = 0; row < model->rowCount(); ++row) {
      items << model->index(row, 0).data().toString();
    }
    return items;
  }

  void WithDialogOf(QAbstractButton* button, const std::function<void(QDialog&)>& drive) {
    WithModalDialog([button] { button->click(); }, drive);
  }
  template <typename T>
  static T* Child(QDialog& dialog, const char* name) {
    T* child = dialog.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  std::unique_ptr<MainWindowWidget> widget_ = std::make_unique<MainWindowWidget>();
  QtMainWindowHost qt_host_{*widget_, dialogs, clipboard};
};

TEST_F(MainWindowWidgetTest, RecipientListIsRedrawnOnlyWhenItChangedAndChoosingKeepsTheUsersText) {
  book.Add("Åsa", "070-222");
  window->SetRecipientListStale(true);
  window->RefreshRecipientList();
  auto* list = widget_->findChild<QListView*>("recipients");
  QAbstractItemModel* model = list->model();
  EXPECT_EQ(model->index(1, 0).data().toString(), QString::fromUtf8("\xC3\x85sa"));

  QSignalSpy resets(model, &QAbstractItemModel::modelReset);
  QTest::keyClicks(Box(), "Hi");
  window->SetStatusLine("Dialing...");
  EXPECT_EQ(resets.count(), 0);

  // Choosing on screen reaches the presenter, and does not refill the list.
  list->setCurrentIndex(model->index(1, 0));
  EXPECT_EQ(window->List(MainList::kRecipients).selected, 1);
  EXPECT_EQ(Text(MainControl::kNumberField), "070-222");
  EXPECT_EQ(resets.count(), 0);

  book.Add("Bo", "070-333");
  window->SetRecipientListStale(true);
  window->RefreshRecipientList();
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(model->rowCount(), 3);

  // A paste by key or menu counts: choosing a recipient next puts back the
  // text as the user last changed it.
  const std::function<void()> kWays[] = {
      [this] {
        QGuiApplication::clipboard()->setText(" pasted");
        QTest::keyClick(Box(), Qt::Key_V, Qt::ControlModifier);
      },
      [this] {
        clipboard.SetText(" pasted");
        window->OnEditMenuOpening(false);
        TriggerMenu("&Paste");
      },
  };
  for (size_t way = 0; way < std::size(kWays); ++way) {
    window->NewMessage();
    QTest::keyClicks(Box(), "Hi");
    kWays[way]();
    EXPECT_EQ(Box()->toPlainText(), "Hi pasted") << way;
    list->setCurrentIndex(list->model()->index(1 - list->currentIndex().row(), 0));
    EXPECT_EQ(Box()->toPlainText(), "Hi pasted") << way;
    EXPECT_EQ(window->MessageText(), "Hi pasted") << way;
  }
}

// Text in any script is counted in characters; a line break is CR LF wherever
// it comes from, and counts two.
TEST_F(MainWindowWidgetTest, TextInAnyScriptIsTakenAndALineBreakIsCrLfCountingTwo) {
  Box()->setPlainText(QString::fromUtf8("Hej \xC3\xA5\xC3\xA4\xC3\xB6 \xE2\x82\xAC \xD0\x96 😀"));
  EXPECT_EQ(window->MessageText(), "Hej åäö € Ж 😀");
  EXPECT_EQ(Box()->toPlainText(), QString::fromUtf8("Hej åäö € Ж 😀"));
  EXPECT_EQ(Label("statusLine"), "13 character in message (Max 160).");
  window->NewMessage();
  QTest::keyClicks(Box(), "ab");
  QTest::keyClick(Box(), Qt::Key_Return);
  QTest::keyClicks(Box(), "cd");
  EXPECT_EQ(window->MessageText(), "ab\r\ncd");
  EXPECT_EQ(Label("statusLine"), "6 character in message (Max 160).");
  EXPECT_EQ(Box()->toPlainText(), "ab\ncd");

  window->SetMessageText("one\r\ntwo");
  EXPECT_EQ(Box()->toPlainText(), "one\ntwo");
  EXPECT_EQ(Label("statusLine"), "8 character in message (Max 160).");

  // The system's clipboard has the system's own line breaks.
  QtClipboard system_clipboard;
  QGuiApplication::clipboard()->setText("a\nb");
  EXPECT_EQ(system_clipboard.Text(), "a\r\nb");
  system_clipboard.SetText("c\r\nd");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "c\nd");
}

// SMS carries no tab: Tab moves the focus on, and a pasted tab is a blank. The
// box shows what the presenter took of a paste, and Undo takes it back.
TEST_F(MainWindowWidgetTest, TabLeavesTheBoxAPastedTabIsABlankAndUndoTakesBackAPartlyTakenPaste) {
  Box()->setFocus();
  QTest::keyClicks(Box(), "ab");
  QTest::keyClick(Box(), Qt::Key_Tab);
  EXPECT_EQ(window->MessageText(), "ab");
  EXPECT_NE(widget_->focusWidget(), Box());
  Box()->setFocus();

  // Pasted between "a" and "b", the caret stays after the pasted text.
  QGuiApplication::clipboard()->setText("x\ty");
  QTextCursor cursor = Box()->textCursor();
  cursor.setPosition(1);
  Box()->setTextCursor(cursor);
  QTest::keyClick(Box(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(window->MessageText(), "ax yb");
  EXPECT_EQ(Box()->toPlainText(), "ax yb");
  EXPECT_EQ(Box()->textCursor().position(), 4);

  window->NewMessage();
  Box()->insertPlainText(QString(150, 'a'));
  QGuiApplication::clipboard()->setText(QString(20, 'b'));
  Box()->moveCursor(QTextCursor::Start);
  QTest::keyClick(Box(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Box()->toPlainText(), QString(10, 'b') + QString(150, 'a'));
  EXPECT_EQ(Box()->textCursor().position(), 10);
  QTest::keyClick(Box(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Box()->toPlainText(), QString(150, 'a'));
  EXPECT_EQ(window->MessageText(), std::string(150, 'a'));
}

// With a transport that splits, nothing typed is cut: past `[Message] MaxParts`
// the counter shows the excess in the warning colour. With fields it counts
// the longest member's text and the tooltip shows the first member's; Send
// refuses an unknown field.
TEST_F(MainWindowWidgetTest, PastThePartLimitTheCounterWarnsAndGroupFieldsCountTheLongestMember) {
  settings.AccessTyp = "SMPP";
  window->ConfigureTransports();
  auto* double_box = Named<QCheckBox>("&Double");
  EXPECT_FALSE(double_box->isEnabled());
  EXPECT_EQ(double_box->toolTip(),
            "Not needed: this transport sends a long message in linked parts");
  const QColor normal = StatusColour();

  Box()->insertPlainText(QString(918, 'a'));
  EXPECT_EQ(Label("statusLine"), QString::fromUtf8("0 left · 6 SMS"));
  // Typed at the start of the full box: all of it UCS-2, 919 units.
  Box()->moveCursor(QTextCursor::Start);
  QKeyEvent zhe(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("Ж"));
  QCoreApplication::sendEvent(Box(), &zhe);
  EXPECT_EQ(Box()->toPlainText(), QString::fromUtf8("Ж") + QString(918, 'a'));
  EXPECT_EQ(Label("statusLine"), QString::fromUtf8("14 SMS, over the limit of 6 · Unicode"));
  EXPECT_NE(StatusColour(), normal);

  QTest::keyClick(Box(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Box()->toPlainText(), QString(918, 'a'));
  EXPECT_EQ(StatusColour(), normal);

  // Group mode makes the window taller by the panel; the message box keeps
  // its room.
  window->NewMessage();
  widget_->resize(widget_->width(), widget_->minimumSizeHint().height() + 10);
  const int height = widget_->height();
  const int message_box_height = Box()->height();
  Named("&Groupsending >>")->click();
  EXPECT_GE(Box()->height(), message_box_height);
  EXPECT_GE(widget_->height(), 7700 / 15);
  EXPECT_EQ(Shown("memberList"), QStringList{"Anna"});
  auto* groups = widget_->findChild<QListView*>("groupList");
  groups->setCurrentIndex(groups->model()->index(1, 0));
  EXPECT_EQ(Shown("memberList"), (QStringList{"Bertil", "Cecilia"}));
  // 160 characters for Bertil, 161 for Cecilia.
  const QString tail(153, 'a');
  Box()->insertPlainText("{name} " + tail);
  EXPECT_EQ(Label("statusLine"), QString::fromUtf8("145 left · up to 2 SMS"));
  EXPECT_EQ(Box()->toolTip(), "To Bertil: Bertil " + tail);

  // One recipient: its own text, counted as it is.
  Named("&Groupsending <<")->click();
  EXPECT_EQ(widget_->height(), height);
  EXPECT_EQ(Label("statusLine"), QString::fromUtf8("2 left · 1 SMS"));
  EXPECT_EQ(Box()->toolTip(), "To Anna: Anna " + tail);
  Box()->setPlainText("{nmae}");
  Named("&Send")->click();
  EXPECT_EQ(Label("receiptLine"), "Unknown field {nmae}: use {name}, {first} or {number}");
  EXPECT_FALSE(window->State().attempted);
}

// Escape leaves the time dialog with no delay, whatever was chosen before.
TEST_F(MainWindowWidgetTest, EscapeInTheTimeDialogMeansNoDelay) {
  window->SetDeliveryTime("2026-12-06  16:00", "0612261600");
  QRadioButton* to = Named<QRadioButton>("&To: 2026-12-06  16:00");
  WithDialogOf(to, [](QDialog& dialog) {
    QTest::keyClick(dialog.findChild<QScrollBar*>("timeScrollBar"), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
  });
  EXPECT_TRUE(Named<QRadioButton>("N&one")->isChecked());
  EXPECT_EQ(to->text(), "&To...");
  EXPECT_FALSE(window->State().deferred);
}

}  // namespace
}  // namespace tolvane::testing
