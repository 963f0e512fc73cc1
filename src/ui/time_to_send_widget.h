#ifndef TOLVANE_UI_TIME_TO_SEND_WIDGET_H_
#define TOLVANE_UI_TIME_TO_SEND_WIDGET_H_

#include <QDialog>

#include "bulk/time_to_send_dialog.h"

class QLabel;
class QScrollBar;

namespace tolvane {

// "Time to send..." on screen, centred: the chosen time over a scroll bar,
// and "OK".
class TimeToSendWidget : public QDialog {
  Q_OBJECT

 public:
  explicit TimeToSendWidget(TimeToSendDialog& dialog, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TimeToSendDialog& dialog_;
  QLabel* label_;
  QScrollBar* scroll_bar_;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_TIME_TO_SEND_WIDGET_H_
