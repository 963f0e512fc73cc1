#ifndef TOLVANE_UI_QUICK_MESSAGES_DIALOG_H_
#define TOLVANE_UI_QUICK_MESSAGES_DIALOG_H_

#include <QDialog>

#include "records/quick_messages_window.h"

class QAction;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

namespace tolvane {

// The quick-message window on screen: shows what the QuickMessagesWindow
// holds and hands it every click, scroll and keystroke. Creating the dialog
// opens the window; "&Use" and "&Close" end it.
class QuickMessagesDialog : public QDialog {
  Q_OBJECT

 public:
  explicit QuickMessagesDialog(QuickMessagesWindow& window, QWidget* parent = nullptr);
  ~QuickMessagesDialog() override;

  void done(int result) override;

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Render();
  // The entry box's selection in the window's text (bytes of UTF-8): start and length.
  std::pair<int, int> Selection() const;

  QuickMessagesWindow& window_;
  bool rendering_ = false;
  QLabel* shown_message_;
  QLabel* number_;
  QLabel* total_;
  QScrollBar* scroll_bar_;
  QPlainTextEdit* entry_box_;
  QLabel* char_count_;
  QPushButton* add_button_;
  QPushButton* delete_button_;
  QPushButton* use_button_;
  QPushButton* close_button_;
  QAction* cut_;
  QAction* copy_;
  QAction* paste_;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_QUICK_MESSAGES_DIALOG_H_
