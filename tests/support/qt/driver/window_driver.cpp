// A Qt plugin an end-to-end test loads into the real program to use its main
// window as a person would: it clicks the button the test names, writes each
// status-line text to standard error, and closes the window once the receipt
// line shows an outcome (or after two minutes). With "phonebook=NAME" (NAME
// percent-encoded) it browses the phone book, enters NAME as a new person and
// presses Escape before and after saving, writing what it sees.
//
//   QT_PLUGIN_PATH=<bin>/test-plugins QT_QPA_GENERIC_PLUGINS="tolvanedriver:No&w" tolvane
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QGenericPlugin>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstdio>

namespace {

constexpr int kGiveUpMs = 120000;

QMainWindow* VisibleMainWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* main_window = qobject_cast<QMainWindow*>(widget);
    if (main_window != nullptr && main_window->isVisible()) return main_window;
  }
  return nullptr;
}

QAbstractButton* ButtonOf(QWidget* window, const QString& caption) {
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    if (button->text() == caption && button->isVisible() && button->isEnabled()) return button;
  }
  return nullptr;
}

class WindowDriver : public QObject {
 public:
  explicit WindowDriver(const QString& caption) : caption_(caption) {
    connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
    timer_.start(100);
    running_.start();
  }

 private:
  void Step() {
    QMainWindow* window = VisibleMainWindow();
    if (window == nullptr) return;
    auto* status = window->findChild<QLabel*>(QStringLiteral("statusLine"));
    if (status != nullptr && status->text() != last_status_) {
      last_status_ = status->text();
      std::fprintf(stderr, "status: %s\n", qPrintable(last_status_));
    }
    auto* receipt = window->findChild<QLabel*>(QStringLiteral("receiptLine"));
    if (!clicked_) {
      if (QAbstractButton* button = ButtonOf(window, caption_)) {
        clicked_ = true;
        std::fprintf(stderr, "driver: clicking %s\n", qPrintable(caption_));
        QTest::mouseClick(button, Qt::LeftButton);
      }
      return;
    }
    if ((receipt != nullptr && !receipt->text().isEmpty()) || running_.hasExpired(kGiveUpMs)) {
      timer_.stop();
      if (receipt != nullptr) std::fprintf(stderr, "receipt: %s\n", qPrintable(receipt->text()));
      window->close();
    }
  }

  QString caption_;
  QTimer timer_;
  QElapsedTimer running_;
  bool clicked_ = false;
  QString last_status_;
};

class PhoneBookDriver : public QObject {
 public:
  explicit PhoneBookDriver(const QString& name) : name_(name) {
    connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
    timer_.start(100);
  }

 private:
  enum class Stage { kOpen, kUse, kEnd };

  void Step() {
    QMainWindow* window = VisibleMainWindow();
    if (window == nullptr) return;
    if (stage_ == Stage::kOpen) {
      QAbstractButton* open = ButtonOf(window, QStringLiteral("&Phoneb..."));
      if (open == nullptr) return;
      WriteRecipients(window);
      stage_ = Stage::kUse;
      // The phone book is modal: opened from the loop, so that this step ends.
      QTimer::singleShot(0, open, &QAbstractButton::click);
    } else if (stage_ == Stage::kUse) {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog != nullptr && dialog->isVisible() && dialog->windowTitle() == "Phonebook") {
          stage_ = Stage::kEnd;
          Use(dialog);
        }
      }
    } else if (stage_ == Stage::kEnd) {
      WriteRecipients(window);
      timer_.stop();
      window->close();
    }
  }

  void Use(QDialog* dialog) {
    auto* names = dialog->findChild<QListWidget*>(QStringLiteral("nameList"));
    auto* name_box = dialog->findChild<QLineEdit*>(QStringLiteral("nameBox"));
    auto* number_box = dialog->findChild<QLineEdit*>(QStringLiteral("numberBox"));
    for (int row = 0; row < names->count(); ++row) {
      QTest::mouseClick(names->viewport(), Qt::LeftButton, {},
                        names->visualItemRect(names->item(row)).center());
      std::fprintf(stderr, "person: %s %s\n", qPrintable(name_box->text()),
                   qPrintable(number_box->text()));
    }
    Click(dialog, "&New record");
    QTest::keyClicks(name_box, name_);
    QTest::keyClicks(number_box, QStringLiteral("0709"));
    std::fprintf(stderr, "driver: pressing Escape\n");
    QTest::keyClick(dialog, Qt::Key_Escape);
    Click(dialog, "S&ave record");
    std::fprintf(stderr, "driver: pressing Escape\n");
    QTest::keyClick(dialog, Qt::Key_Escape);
    std::fprintf(stderr, "driver: phone book %s\n", dialog->isVisible() ? "open" : "closed");
    if (dialog->isVisible()) {
      Click(dialog, "&Undo");
      Click(dialog, "&Close");
    }
  }

  static void Click(QWidget* window, const char* caption) {
    QAbstractButton* button = ButtonOf(window, QString::fromUtf8(caption));
    std::fprintf(stderr, "driver: clicking %s%s\n", caption,
                 button == nullptr ? " (not there)" : "");
    if (button != nullptr) QTest::mouseClick(button, Qt::LeftButton);
  }

  static void WriteRecipients(QMainWindow* window) {
    auto* view = window->findChild<QAbstractItemView*>(QStringLiteral("recipients"));
    QStringList names;
    for (int row = 0; view != nullptr && row < view->model()->rowCount(); ++row) {
      names << view->model()->index(row, 0).data().toString();
    }
    std::fprintf(stderr, "recipients: %s\n", qPrintable(names.join('|')));
  }

  QString name_;
  QTimer timer_;
  Stage stage_ = Stage::kOpen;
};

}  // namespace

class WindowDriverPlugin : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "window_driver.json")

 public:
  QObject* create(const QString&, const QString& plugin_argument) override {
    const QString phone_book = QStringLiteral("phonebook=");
    if (plugin_argument.startsWith(phone_book)) {
      // Qt reads the variable as Latin-1, so the name travels percent-encoded.
      return new PhoneBookDriver(
          QUrl::fromPercentEncoding(plugin_argument.mid(phone_book.size()).toLatin1()));
    }
    return new WindowDriver(plugin_argument);
  }
};

#include "window_driver.moc"
