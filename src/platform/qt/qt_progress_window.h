#ifndef TOLVANE_PLATFORM_QT_QT_PROGRESS_WINDOW_H_
#define TOLVANE_PLATFORM_QT_QT_PROGRESS_WINDOW_H_

#include <QElapsedTimer>
#include <memory>

#include "platform/progress_window.h"

class QProgressDialog;

namespace tolvane {

// A QProgressDialog over the active window, application-modal, shown at once.
// It repaints and runs pending events at most every 50 ms, so that a step
// costs next to nothing.
class QtProgressWindow : public ProgressWindow {
 public:
  QtProgressWindow();
  ~QtProgressWindow() override;

  void Open(const std::string& title, const std::string& label, int maximum) override;
  bool Advance(int value) override;
  void Close() override;

 private:
  std::unique_ptr<QProgressDialog> dialog_;
  QElapsedTimer since_shown_;
  bool cancelled_ = false;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_PROGRESS_WINDOW_H_
