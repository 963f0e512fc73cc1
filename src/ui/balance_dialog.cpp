#include "ui/balance_dialog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/qt/qt_text.h"
#include "ui/window_place.h"

namespace tolvane {

BalanceDialog::BalanceDialog(BalanceWindow& window, QWidget* parent)
    : QDialog(parent), window_(window) {
  setWindowTitle(ToQString(BalanceWindow::Title()));
  setModal(true);
  result_ = new QLabel;
  result_->setObjectName("result");
  // The gateway's answer is shown as the characters it sent, never as markup.
  result_->setTextFormat(Qt::PlainText);
  result_->setWordWrap(true);
  result_->setMinimumWidth(300);
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] {
    window_.Ok();
    accept();
  });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(result_);
  layout->addWidget(ok, 0, Qt::AlignHCenter);
}

void BalanceDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* screen = this->screen()) {
    move(CentredIn(screen->geometry(), size()));
  }
  if (!asked_) {
    asked_ = true;
    // Once the window stands, so that "Kollar saldot..." can be seen.
    QTimer::singleShot(0, this, [this] { Query(); });
  }
}

void BalanceDialog::Query() {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  window_.Load([this] {
    result_->setText(ToQString(window_.ResultText()));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  });
  result_->setText(ToQString(window_.ResultText()));
  QGuiApplication::restoreOverrideCursor();
}

}  // namespace tolvane
