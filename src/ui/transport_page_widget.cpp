#include "ui/transport_page_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include "platform/qt/qt_text.h"
#include "ui/list_widgets.h"

namespace tolvane {
namespace {

using Kind = SettingsField::Kind;

}  // namespace

TransportPageWidget::TransportPageWidget(TransportSettingsPage& page,
                                         std::function<bool()> in_tab_order, QWidget* parent)
    : QGroupBox(ToQString(page.Layout().title), parent),
      page_(page),
      in_tab_order_(std::move(in_tab_order)) {
  auto* grid = new QGridLayout(this);
  const std::vector<SettingsField>& fields = page.Layout().fields;
  for (size_t i = 0; i < fields.size(); ++i) {
    const SettingsField& field = fields[i];
    const int row = static_cast<int>(i);
    QWidget* widget = nullptr;
    if (field.kind == Kind::kCheck) {
      auto* check = new QCheckBox(ToQString(field.caption));
      connect(check, &QCheckBox::clicked, this,
              [this, i](bool checked) { page_.SetChecked(i, checked); });
      grid->addWidget(check, row, 0, 1, 2);
      fields_.push_back(check);
      continue;
    }
    if (field.kind == Kind::kChoice) {
      auto* choice = new QComboBox;
      HearByCaption(choice);
      for (const SettingsField::Choice& entry : field.choices) {
        choice->addItem(ToQString(entry.caption));
      }
      connect(choice, &QComboBox::activated, this,
              [this, i](int index) { page_.Choose(i, index); });
      widget = choice;
    } else if (field.kind == Kind::kDevice) {
      QComboBox* device = NewEditableChoice();
      // The box that takes typing does not take its name from the label.
      device->lineEdit()->setAccessibleName(ToQString(field.caption));
      connect(device->lineEdit(), &QLineEdit::textEdited, this,
              [this, i](const QString& text) { page_.EditText(i, FromQString(text)); });
      connect(device, &QComboBox::activated, this,
              [this, i](int index) { page_.SelectPort(i, index); });
      widget = device;
    } else {
      auto* box = new QLineEdit;
      if (field.kind == Kind::kNumber) {
        box->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), box));
      }
      if (field.kind == Kind::kPassword) box->setEchoMode(QLineEdit::Password);
      connect(box, &QLineEdit::textEdited, this,
              [this, i](const QString& text) { page_.EditText(i, FromQString(text)); });
      widget = box;
    }
    auto* label = new QLabel(ToQString(field.caption));
    label->setBuddy(widget);
    grid->addWidget(label, row, 0);
    grid->addWidget(widget, row, 1);
    fields_.push_back(widget);
  }
  page_.SetOnChanged([this] { Render(); });
}

TransportPageWidget::~TransportPageWidget() { page_.SetOnChanged(nullptr); }

void TransportPageWidget::Render() {
  const bool in_tab_order = in_tab_order_();
  bool shown = false;
  for (size_t i = 0; i < fields_.size(); ++i) {
    const ControlState& state = page_.Control(i);
    QWidget* widget = fields_[i];
    const QSignalBlocker blocker(widget);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
      if (box->text() != ToQString(state.text)) box->setText(ToQString(state.text));
    } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
      check->setChecked(state.checked);
    } else if (auto* choice = qobject_cast<QComboBox*>(widget); choice && choice->isEditable()) {
      SetItems(choice, page_.Ports());
      // The arrow keys then move on from the port chosen, not from the first.
      choice->setCurrentIndex(page_.Ports().selected);
      SetEditText(choice, state.text);
    } else if (choice != nullptr) {
      choice->setCurrentIndex(page_.ChoiceIndex(i));
    }
    widget->setEnabled(state.enabled);
    widget->setFocusPolicy(in_tab_order && state.enabled ? Qt::StrongFocus : Qt::NoFocus);
    shown = shown || state.visible;
  }
  setVisible(shown);
  if (page_.FocusRequestCount() != focus_count_seen_) {
    focus_count_seen_ = page_.FocusRequestCount();
    fields_[page_.FocusRequest()]->setFocus();
  }
}

}  // namespace tolvane
