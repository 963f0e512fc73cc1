#ifndef TOLVANE_UI_LIST_STATE_MODEL_H_
#define TOLVANE_UI_LIST_STATE_MODEL_H_

#include <QAbstractListModel>
#include <cstdint>

#include "core/control_state.h"

namespace tolvane {

// A presenter's list entries as a Qt model. Entries become Qt text only when
// a view asks for a row on screen, and the view is reset only when the
// entries' revision moved, so a list of 100 000 names costs nothing on a
// render that did not change it.
class ListStateModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit ListStateModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

  // Shows `items`, which must outlive the model; resets the views when they
  // differ from what was shown last.
  void Show(const ListItems& items);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  const ListItems* items_ = nullptr;
  std::uint64_t revision_ = 0;
  // The row count the views were told of; the presenter may change the
  // entries before the next render.
  int rows_ = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_LIST_STATE_MODEL_H_
