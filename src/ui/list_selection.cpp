#include "ui/list_selection.h"

#include <QListWidget>
#include <QSignalBlocker>

namespace tolvane {

void OnRowChosen(QListWidget* list, QObject* context, std::function<void(int row)> on_chosen) {
  QObject::connect(list, &QListWidget::itemSelectionChanged, context,
                   [list, on_chosen = std::move(on_chosen)] {
                     const QList<QListWidgetItem*> selected = list->selectedItems();
                     if (!selected.isEmpty()) on_chosen(list->row(selected.first()));
                   });
}

void ShowSelection(QListWidget* list, int row) {
  QSignalBlocker blocker(list);
  if (row >= 0 && row < list->count()) {
    list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
  } else {
    list->setCurrentRow(-1, QItemSelectionModel::Clear);
  }
}

}  // namespace tolvane
