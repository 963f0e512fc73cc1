#ifndef TOLVANE_UI_LIST_WIDGETS_H_
#define TOLVANE_UI_LIST_WIDGETS_H_

#include <QComboBox>
#include <QListWidget>
#include <QStringList>
#include <string>

#include "core/control_state.h"
#include "platform/qt/qt_text.h"

namespace tolvane {

// Makes a screen reader name the drop-down list by its caption (its accessible
// name, else the label it is the buddy of), with its chosen entry as its
// value; Qt's own on Linux gives the entry as the name, so that "21" or "00"
// is all the user hears. Called before the list is filled.
void HearByCaption(QComboBox* box);

// A drop-down list of choices in which any other text can be typed.
QComboBox* NewEditableChoice();
void SetEditText(QComboBox* combo, const std::string& text);

inline QString ItemText(QComboBox* combo, int index) { return combo->itemText(index); }
inline QString ItemText(QListWidget* list, int row) { return list->item(row)->text(); }

// Refills a list or drop-down list only when its entries changed, so that a
// render keeps what the user scrolled to.
template <typename Widget>
void SetItems(Widget* widget, const ListState& state) {
  QStringList items;
  for (const std::string& item : state.items) items << ToQString(item);
  QStringList shown;
  for (int i = 0; i < widget->count(); ++i) shown << ItemText(widget, i);
  if (items != shown) {
    widget->clear();
    widget->addItems(items);
  }
}

}  // namespace tolvane

#endif  // TOLVANE_UI_LIST_WIDGETS_H_
