#include "platform/qt/qt_progress_window.h"

#include <QApplication>
#include <QProgressDialog>

#include "platform/qt/qt_text.h"

namespace tolvane {

namespace {

constexpr int kRepaintMs = 50;

}  // namespace

QtProgressWindow::QtProgressWindow() = default;

QtProgressWindow::~QtProgressWindow() = default;

void QtProgressWindow::Open(const std::string& title, const std::string& label, int maximum) {
  cancelled_ = false;
  dialog_ = std::make_unique<QProgressDialog>(ToQString(label), "Cancel", 0, maximum,
                                              QApplication::activeWindow());
  dialog_->setObjectName("progressWindow");
  dialog_->setWindowTitle(ToQString(title));
  dialog_->setWindowModality(Qt::ApplicationModal);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setMinimumDuration(0);
  // Cancel, Escape and the window's frame all end the work.
  QObject::connect(dialog_.get(), &QProgressDialog::canceled, [this] { cancelled_ = true; });
  QObject::connect(dialog_.get(), &QDialog::rejected, [this] { cancelled_ = true; });
  dialog_->show();
  dialog_->setValue(0);
  QCoreApplication::processEvents();
  since_shown_.start();
}

bool QtProgressWindow::Advance(int value) {
  if (dialog_ == nullptr) return !cancelled_;
  if (since_shown_.elapsed() >= kRepaintMs || value >= dialog_->maximum()) {
    dialog_->setValue(value);
    QCoreApplication::processEvents();
    since_shown_.restart();
  }
  return !cancelled_;
}

void QtProgressWindow::Close() { dialog_.reset(); }

}  // namespace tolvane
