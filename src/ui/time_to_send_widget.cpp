#include "ui/time_to_send_widget.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include "platform/qt/qt_text.h"
#include "ui/dialog_button.h"
#include "ui/window_place.h"

namespace tolvane {

TimeToSendWidget::TimeToSendWidget(TimeToSendDialog& dialog, QWidget* parent)
    : QDialog(parent), dialog_(dialog) {
  setWindowTitle(ToQString(TimeToSendDialog::Title()));
  setModal(true);
  label_ = new QLabel(ToQString(dialog_.Label()), this);
  label_->setObjectName("timeLabel");
  label_->setAlignment(Qt::AlignCenter);
  scroll_bar_ = new QScrollBar(Qt::Horizontal, this);
  scroll_bar_->setObjectName("timeScrollBar");
  // The bar is heard by the time it chooses.
  label_->setBuddy(scroll_bar_);
  scroll_bar_->setRange(0, TimeToSendDialog::kMaxPosition);
  scroll_bar_->setSingleStep(TimeToSendDialog::kSmallChange);
  scroll_bar_->setPageStep(TimeToSendDialog::kLargeChange);
  scroll_bar_->setFocusPolicy(Qt::StrongFocus);
  // Qt's scroll bar turns its keys round as for scrolling a page (Left and
  // Down move it on); the time goes the way the arrows point: Right and Up
  // later, Left and Down earlier, Page Up an hour later.
  scroll_bar_->setInvertedControls(false);
  scroll_bar_->setMinimumWidth(300);
  connect(scroll_bar_, &QScrollBar::valueChanged, this, [this](int position) {
    dialog_.SetPosition(position);
    label_->setText(ToQString(dialog_.Label()));
  });
  QPushButton* ok = MakeDialogButton(this, "okButton", [this] {
    dialog_.Ok();
    accept();
  });
  ok->setText("OK");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  layout->addWidget(scroll_bar_);
  layout->addWidget(ok, 0, Qt::AlignCenter);
}

void TimeToSendWidget::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* screen = this->screen()) {
    move(CentredIn(screen->availableGeometry(), size()));
  }
  scroll_bar_->setFocus();
}

}  // namespace tolvane
