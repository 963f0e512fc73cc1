#include "ui/list_state_model.h"

#include "platform/text_codec.h"

namespace tolvane {

void ListStateModel::Show(const ListItems& items) {
  if (items_ == &items && revision_ == items.revision()) return;
  beginResetModel();
  items_ = &items;
  revision_ = items.revision();
  rows_ = static_cast<int>(items.size());
  endResetModel();
}

int ListStateModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

QVariant ListStateModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || items_ == nullptr || !index.isValid()) return {};
  const auto row = static_cast<std::size_t>(index.row());
  if (row >= items_->size()) return {};
  return QString::fromStdString((*items_)[row]);
}

}  // namespace tolvane
