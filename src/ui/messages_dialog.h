#ifndef TOLVANE_UI_MESSAGES_DIALOG_H_
#define TOLVANE_UI_MESSAGES_DIALOG_H_

#include <QDialog>
#include <string>

#include "inbox/messages_window.h"

class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tolvane {

class ConversationListModel;

// The Messages window on screen, beside the main window (not modal):
// renders the presenter and forwards the user's actions to it.
class MessagesDialog : public QDialog {
  Q_OBJECT

 public:
  // The presenter must outlive the window.
  MessagesDialog(MessagesWindow& presenter, QWidget* parent = nullptr);

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void Render(bool list);
  // The shown conversation's row selected in the list, when it is loaded.
  void SelectShown();

  MessagesWindow& presenter_;
  bool rendering_ = false;
  // The conversation the messages list shows.
  std::string rendered_number_;
  ConversationListModel* model_ = nullptr;
  QLineEdit* search_ = nullptr;
  QListView* conversations_ = nullptr;
  QLabel* title_ = nullptr;
  QListWidget* messages_ = nullptr;
  QPlainTextEdit* reply_ = nullptr;
  QLabel* counter_ = nullptr;
  QPushButton* send_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* copy_ = nullptr;
  QLabel* receive_line_ = nullptr;
  QLabel* status_line_ = nullptr;
  QWidget* opt_out_panel_ = nullptr;
  QListWidget* opt_outs_ = nullptr;
  QLineEdit* opt_out_number_ = nullptr;
  QPushButton* add_opt_out_ = nullptr;
  QPushButton* remove_opt_out_ = nullptr;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_MESSAGES_DIALOG_H_
