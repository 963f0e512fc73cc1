// A Qt plugin that an end-to-end test loads into the real program to use its
// main window as a person would: it clicks the button whose caption the test
// names, writes every status-line text to standard error, and closes the
// window once the receipt line shows an outcome (or after two minutes).
//
//   QT_PLUGIN_PATH=<bin>/test-plugins QT_QPA_GENERIC_PLUGINS="tolvanedriver:No&w" tolvane
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QGenericPlugin>
#include <QLabel>
#include <QMainWindow>
#include <QTest>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int kGiveUpMs = 120000;

class WindowDriver : public QObject {
 public:
  explicit WindowDriver(const QString& caption) : caption_(caption) {
    connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
    timer_.start(100);
    running_.start();
  }

 private:
  void Step() {
    QMainWindow* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* main_window = qobject_cast<QMainWindow*>(widget);
      if (main_window != nullptr && main_window->isVisible()) window = main_window;
    }
    if (window == nullptr) return;
    Report(window->findChild<QLabel*>(QStringLiteral("statusLine")), "status", last_status_);
    auto* receipt = window->findChild<QLabel*>(QStringLiteral("receiptLine"));
    if (!clicked_) {
      for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->text() == caption_ && button->isVisible() && button->isEnabled()) {
          clicked_ = true;
          std::fprintf(stderr, "driver: clicking %s\n", qPrintable(caption_));
          QTest::mouseClick(button, Qt::LeftButton);
          return;
        }
      }
      return;
    }
    if ((receipt != nullptr && !receipt->text().isEmpty()) || running_.hasExpired(kGiveUpMs)) {
      timer_.stop();
      if (receipt != nullptr) std::fprintf(stderr, "receipt: %s\n", qPrintable(receipt->text()));
      window->close();
    }
  }

  static void Report(QLabel* label, const char* name, QString& last) {
    if (label == nullptr || label->text() == last) return;
    last = label->text();
    std::fprintf(stderr, "%s: %s\n", name, qPrintable(last));
  }

  QString caption_;
  QTimer timer_;
  QElapsedTimer running_;
  bool clicked_ = false;
  QString last_status_;
};

}  // namespace

class WindowDriverPlugin : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "window_driver.json")

 public:
  QObject* create(const QString&, const QString& caption) override {
    return new WindowDriver(caption);
  }
};

#include "window_driver.moc"
