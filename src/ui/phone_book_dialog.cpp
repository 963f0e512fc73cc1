#include "ui/phone_book_dialog.h"

#include <functional>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/qt/qt_text.h"
#include "ui/dialog_button.h"
#include "ui/group_panel_widget.h"
#include "ui/list_selection.h"

namespace tolvane {

namespace {

void RenderButton(QAbstractButton* button, const ControlState& state) {
  button->setText(ToQString(state.text));
  button->setEnabled(state.enabled);
  button->setVisible(state.visible);
}

void RenderBox(QLineEdit* box, const ControlState& state) {
  QSignalBlocker blocker(box);
  if (box->maxLength() != state.max_length && state.max_length > 0) {
    box->setMaxLength(state.max_length);
  }
  QString text = ToQString(state.text);
  // Setting the same text again would move the caret while the user types.
  if (box->text() != text) box->setText(text);
  box->setEnabled(state.enabled);
}

}  // namespace

PhoneBookDialog::PhoneBookDialog(PhoneBookWindow& window, QWidget* parent)
    : QDialog(parent), window_(window) {
  setWindowTitle(PhoneBookWindow::Title());
  setModal(true);

  name_list_ = new QListWidget;
  name_list_->setObjectName("nameList");
  name_list_->setAccessibleName("List");
  name_box_ = new QLineEdit;
  name_box_->setObjectName("nameBox");
  name_box_->setAccessibleName("Name:");
  number_box_ = new QLineEdit;
  number_box_->setObjectName("numberBox");
  number_box_->setAccessibleName("Phonenumber:");
  type_frame_ = new QGroupBox;
  auto* type_layout = new QVBoxLayout(type_frame_);
  for (int i = 0; i < PhoneBookWindow::kTypeOptionCount; ++i) {
    type_options_[i] = new QRadioButton;
    type_layout->addWidget(type_options_[i]);
    connect(type_options_[i], &QRadioButton::clicked, this, [this, i] { window_.SelectType(i); });
  }
  auto make_button = [this](const char* name, std::function<void()> action) {
    return MakeDialogButton(this, name, std::move(action));
  };
  new_button_ = make_button("newButton", [this] { window_.NewRecord(); });
  edit_button_ = make_button("editButton", [this] { window_.EditRecord(); });
  save_button_ = make_button("saveButton", [this] { window_.SaveRecord(); });
  delete_button_ = make_button("deleteButton", [this] { window_.DeleteRecord(); });
  undo_button_ = make_button("undoButton", [this] { window_.Undo(); });
  close_button_ = new QPushButton;
  close_button_->setObjectName("closeButton");
  close_button_->setAutoDefault(false);
  connect(close_button_, &QPushButton::clicked, this, &QDialog::reject);

  OnRowChosen(name_list_, this, [this](int row) { window_.SelectName(row); });
  connect(name_box_, &QLineEdit::textEdited, this,
          [this](const QString& text) { window_.EditNameText(FromQString(text)); });
  connect(number_box_, &QLineEdit::textEdited, this,
          [this](const QString& text) { window_.EditNumberText(FromQString(text)); });

  auto* list_column = new QVBoxLayout;
  list_column->addWidget(new QLabel("List"));
  list_column->addWidget(name_list_);
  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel("Name:"), 0, 0);
  fields->addWidget(name_box_, 1, 0);
  fields->addWidget(new QLabel("Phonenumber:"), 2, 0);
  fields->addWidget(number_box_, 3, 0);
  fields->addWidget(type_frame_, 4, 0);
  buttons_ = new QGridLayout;
  buttons_->addWidget(new_button_, 0, 0);
  buttons_->addWidget(edit_button_, 0, 1);
  buttons_->addWidget(save_button_, 1, 0);
  buttons_->addWidget(delete_button_, 1, 1);
  buttons_->addWidget(undo_button_, 2, 0);
  buttons_->addWidget(close_button_, 2, 1);
  fields->addLayout(buttons_, 5, 0);
  layout_ = new QHBoxLayout(this);
  layout_->addLayout(list_column);
  layout_->addLayout(fields);

  window_.SetOnChanged([this] { Render(); });
  Render();
  window_.Open();
}

PhoneBookDialog::~PhoneBookDialog() { window_.SetOnChanged(nullptr); }

void PhoneBookDialog::done(int result) {
  QDialog::done(result);
  window_.Close();
}

void PhoneBookDialog::reject() {
  if (window_.MayClose()) QDialog::reject();
}

void PhoneBookDialog::AddGroupPanel(GroupPanel& panel, Dialogs& dialogs) {
  group_panel_ = new GroupPanelWidget(panel, dialogs, name_list_, this);
  group_panel_->setObjectName("groupPanel");
  buttons_->addWidget(group_panel_->ToggleButton(), 3, 0);
  layout_->addWidget(group_panel_);
}

void PhoneBookDialog::AddContactsTransfer(ContactsTransfer& transfer) {
  transfer_ = &transfer;
  // Whatever the work changed, the window shows it afterwards.
  import_button_ = MakeDialogButton(this, "importButton", [this] {
    transfer_->Import();
    Render();
  });
  export_button_ = MakeDialogButton(this, "exportButton", [this] {
    transfer_->Export();
    Render();
  });
  buttons_->addWidget(import_button_, 4, 0);
  buttons_->addWidget(export_button_, 4, 1);
  Render();
}

void PhoneBookDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A quarter of the free width from the left, centred from top to bottom.
  if (QScreen* screen = this->screen()) {
    QRect free = screen->availableGeometry();
    move(free.x() + (free.width() - width()) / 4, free.y() + (free.height() - height()) / 2);
  }
}

void PhoneBookDialog::Render() {
  const ListState& list = window_.NameList();
  {
    QSignalBlocker blocker(name_list_);
    QStringList items;
    for (const std::string& item : list.items) items << ToQString(item);
    QStringList shown;
    for (int i = 0; i < name_list_->count(); ++i) shown << name_list_->item(i)->text();
    if (items != shown) {
      name_list_->clear();
      name_list_->addItems(items);
    }
    ShowSelection(name_list_, list.selected);
    name_list_->setEnabled(list.enabled);
  }
  RenderBox(name_box_, window_.NameBox());
  RenderBox(number_box_, window_.NumberBox());
  type_frame_->setTitle(ToQString(window_.TypeFrame().text));
  type_frame_->setEnabled(window_.TypeFrame().enabled);
  for (int i = 0; i < PhoneBookWindow::kTypeOptionCount; ++i) {
    RenderButton(type_options_[i], window_.TypeOption(i));
    type_options_[i]->setChecked(window_.TypeOption(i).checked);
  }
  RenderButton(new_button_, window_.NewButton());
  RenderButton(edit_button_, window_.EditButton());
  RenderButton(save_button_, window_.SaveButton());
  RenderButton(delete_button_, window_.DeleteButton());
  RenderButton(undo_button_, window_.UndoButton());
  RenderButton(close_button_, window_.CloseButton());
  if (group_panel_ != nullptr) group_panel_->Render();
  if (transfer_ != nullptr) {
    RenderButton(import_button_, transfer_->ImportButton());
    RenderButton(export_button_, transfer_->ExportButton());
  }

  switch (window_.TakeFocusRequest()) {
    case PhoneBookWindow::Focus::kNameBox:
      name_box_->setFocus();
      break;
    case PhoneBookWindow::Focus::kNumberBox:
      number_box_->setFocus();
      break;
    case PhoneBookWindow::Focus::kNone:
      break;
  }
}

}  // namespace tolvane
