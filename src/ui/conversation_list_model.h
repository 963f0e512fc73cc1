#ifndef TOLVANE_UI_CONVERSATION_LIST_MODEL_H_
#define TOLVANE_UI_CONVERSATION_LIST_MODEL_H_

#include <QAbstractListModel>
#include <string>
#include <vector>

#include "inbox/messages_window.h"

namespace tolvane {

// The list on the left of the Messages window: the presenter's rows, read a
// page at a time as the view scrolls down to them.
class ConversationListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  static constexpr int kPageRows = 100;

  ConversationListModel(MessagesWindow& presenter, QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

  const std::string& NumberAt(int row) const { return rows_[row].number; }
  // The rows read again: in place when there are as many, else from the top.
  void Refresh();

 private:
  MessagesWindow& presenter_;
  std::vector<ConversationRow> rows_;
  int count_ = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_CONVERSATION_LIST_MODEL_H_
