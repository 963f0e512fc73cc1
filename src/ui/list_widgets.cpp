#include "ui/list_widgets.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace tolvane {
namespace {

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

QComboBox* NewEditableChoice() {
  auto* combo = new QComboBox;
  HearByCaption(combo);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  return combo;
}

void SetEditText(QComboBox* combo, const std::string& text) {
  if (combo->currentText() != ToQString(text)) combo->setEditText(ToQString(text));
}

}  // namespace tolvane
