#ifndef TOLVANE_PLATFORM_QT_QT_STOP_SIGNALS_H_
#define TOLVANE_PLATFORM_QT_QT_STOP_SIGNALS_H_

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace tolvane {

// SIGTERM and SIGINT as events of Qt's loop: the handler only writes a byte
// to a pipe, whose reading end wakes the loop, so `on_stop` runs outside the
// signal handler like any other event. One object per process.
class QtStopSignals {
 public:
  explicit QtStopSignals(std::function<void()> on_stop);
  ~QtStopSignals();
  QtStopSignals(const QtStopSignals&) = delete;
  QtStopSignals& operator=(const QtStopSignals&) = delete;

 private:
  void OnReadable();

  std::function<void()> on_stop_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_STOP_SIGNALS_H_
