#include "ui/conversation_list_model.h"

#include <QFont>

#include "platform/qt/qt_text.h"

namespace tolvane {

ConversationListModel::ConversationListModel(MessagesWindow& presenter, QObject* parent)
    : QAbstractListModel(parent), presenter_(presenter), count_(presenter.ListCount()) {}

int ConversationListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant ConversationListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  const ConversationRow& row = rows_[index.row()];
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
    const std::string unread = row.unread > 0 ? " (" + std::to_string(row.unread) + ")" : "";
    return ToQString(row.title + unread + "   " + row.time + "\n" + row.line);
  }
  if (role == Qt::FontRole && row.unread > 0) {
    QFont bold;
    bold.setBold(true);
    return bold;
  }
  return {};
}

bool ConversationListModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && static_cast<int>(rows_.size()) < count_;
}

void ConversationListModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  const int first = static_cast<int>(rows_.size());
  std::vector<ConversationRow> page = presenter_.ListRows(first, kPageRows);
  if (page.empty()) {
    // The store holds fewer than it counted a moment ago.
    count_ = first;
    return;
  }
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(page.size()) - 1);
  rows_.insert(rows_.end(), page.begin(), page.end());
  endInsertRows();
}

void ConversationListModel::Refresh() {
  const int loaded = static_cast<int>(rows_.size());
  if (presenter_.ListCount() == count_ && loaded > 0) {
    std::vector<ConversationRow> again = presenter_.ListRows(0, loaded);
    if (static_cast<int>(again.size()) == loaded) {
      rows_ = std::move(again);
      emit dataChanged(index(0), index(loaded - 1));
      return;
    }
  }
  beginResetModel();
  rows_.clear();
  count_ = presenter_.ListCount();
  endResetModel();
  // The first page at once, so that the conversation shown can be selected.
  fetchMore(QModelIndex());
}

}  // namespace tolvane
