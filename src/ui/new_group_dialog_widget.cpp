#include "ui/new_group_dialog_widget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/qt/qt_text.h"
#include "ui/dialog_button.h"
#include "ui/window_place.h"

namespace tolvane {

NewGroupDialogWidget::NewGroupDialogWidget(NewGroupDialog& dialog, QWidget* parent)
    : QDialog(parent), dialog_(dialog) {
  setWindowTitle(ToQString(NewGroupDialog::Title()));
  setModal(true);
  name_box_ = new QLineEdit(this);
  name_box_->setObjectName("groupName");
  name_box_->setMaxLength(dialog_.NameBox().max_length);
  QPushButton* ok = MakeDialogButton(this, "okButton", [this] { Ok(); });
  ok->setText("OK");
  QPushButton* cancel = MakeDialogButton(this, "cancelButton", [this] { reject(); });
  cancel->setText("Cancel");
  // Return in the name box confirms.
  connect(name_box_, &QLineEdit::returnPressed, this, [this] { Ok(); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  auto* name_label = new QLabel(ToQString(NewGroupDialog::Label()), this);
  name_label->setBuddy(name_box_);
  layout->addWidget(name_label);
  layout->addWidget(name_box_);
  layout->addLayout(buttons);
}

void NewGroupDialogWidget::Ok() {
  dialog_.EditName(FromQString(name_box_->text()));
  if (dialog_.Ok()) {
    accept();
  } else if (dialog_.TakeFocusRequest()) {
    name_box_->setFocus();
  }
}

void NewGroupDialogWidget::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* screen = this->screen()) {
    move(CentredIn(screen->availableGeometry(), size()));
  }
}

}  // namespace tolvane
