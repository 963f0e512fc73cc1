#include "ui/account_page_widget.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include "platform/qt/qt_text.h"

namespace tolvane {
namespace {

using Kind = AccountField::Kind;

constexpr char kHeardByCaption[] = "tolvaneHeardByCaption";

class CaptionedComboBox : public QAccessibleWidget {
 public:
  explicit CaptionedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return static_cast<QComboBox*>(widget())->currentText();
    return QAccessibleWidget::text(kind);
  }
};

QAccessibleInterface* CaptionedComboBoxes(const QString& class_name, QObject* object) {
  auto* box = qobject_cast<QComboBox*>(object);
  if (class_name != "QComboBox" || box == nullptr || !box->property(kHeardByCaption).toBool()) {
    return nullptr;
  }
  return new CaptionedComboBox(box);
}

}  // namespace

void HearByCaption(QComboBox* box) {
  [[maybe_unused]] static const bool installed =
      (QAccessible::installFactory(CaptionedComboBoxes), true);
  box->setProperty(kHeardByCaption, true);
}

AccountPageWidget::AccountPageWidget(AccountSettingsPage& page, std::function<bool()> in_tab_order,
                                     QWidget* parent)
    : QGroupBox(ToQString(page.Layout().title), parent),
      page_(page),
      in_tab_order_(std::move(in_tab_order)) {
  auto* grid = new QGridLayout(this);
  const std::vector<AccountField>& fields = page.Layout().fields;
  for (size_t i = 0; i < fields.size(); ++i) {
    const AccountField& field = fields[i];
    const int row = static_cast<int>(i);
    QWidget* widget = nullptr;
    if (field.kind == Kind::kCheck) {
      auto* check = new QCheckBox(ToQString(field.caption));
      connect(check, &QCheckBox::clicked, this,
              [this, i](bool checked) { page_.SetChecked(i, checked); });
      grid->addWidget(check, row, 0, 1, 2);
      widget = check;
    } else {
      if (field.kind == Kind::kChoice) {
        auto* choice = new QComboBox;
        HearByCaption(choice);
        for (const AccountField::Choice& entry : field.choices) {
          choice->addItem(ToQString(entry.caption));
        }
        connect(choice, &QComboBox::activated, this,
                [this, i](int index) { page_.Choose(i, index); });
        widget = choice;
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
    }
    fields_.push_back(widget);
  }
  page_.SetOnChanged([this] { Render(); });
}

AccountPageWidget::~AccountPageWidget() { page_.SetOnChanged(nullptr); }

void AccountPageWidget::Render() {
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
    } else if (auto* choice = qobject_cast<QComboBox*>(widget)) {
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
