#include "platform/qt/qt_event_loop.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace tolvane {
namespace {

class QtTimer : public Timer {
 public:
  QtTimer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      // Copied: the callback may replace or destroy the timer's callback.
      auto callback = callback_;
      if (callback) callback();
    });
  }
  void SetInterval(int milliseconds) override { timer_.setInterval(milliseconds); }
  int Interval() const override { return timer_.interval(); }
  void SetSingleShot(bool single_shot) override { timer_.setSingleShot(single_shot); }
  void Start() override { timer_.start(); }
  void Stop() override { timer_.stop(); }
  bool IsActive() const override { return timer_.isActive(); }
  void SetCallback(std::function<void()> callback) override { callback_ = std::move(callback); }

 private:
  QTimer timer_;
  std::function<void()> callback_;
};

}  // namespace

QtEventLoop::QtEventLoop() {
  heartbeat_.setInterval(50);
  heartbeat_.start();
}

TimePoint QtEventLoop::Now() const { return Clock::now(); }

void QtEventLoop::ProcessEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

std::unique_ptr<Timer> QtEventLoop::CreateTimer() { return std::make_unique<QtTimer>(); }

}  // namespace tolvane
