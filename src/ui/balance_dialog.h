#ifndef TOLVANE_UI_BALANCE_DIALOG_H_
#define TOLVANE_UI_BALANCE_DIALOG_H_

#include <QDialog>

#include "gateway/balance_window.h"

class QLabel;

namespace tolvane {

// The account-balance window on screen. Once shown it asks the gateway, with
// the busy pointer up; the result label shows the gateway's words as plain
// text.
class BalanceDialog : public QDialog {
  Q_OBJECT

 public:
  explicit BalanceDialog(BalanceWindow& window, QWidget* parent = nullptr);

  QLabel* ResultLabel() const { return result_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Query();

  BalanceWindow& window_;
  QLabel* result_;
  bool asked_ = false;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_BALANCE_DIALOG_H_
