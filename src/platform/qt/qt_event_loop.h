#ifndef TOLVANE_PLATFORM_QT_QT_EVENT_LOOP_H_
#define TOLVANE_PLATFORM_QT_QT_EVENT_LOOP_H_

#include <QTimer>
#include <memory>

#include "platform/event_loop.h"

namespace tolvane {

// The program's event loop on Qt's: waits block until an event arrives, and a
// heartbeat wakes them now and then so no flag change is missed.
class QtEventLoop : public EventLoop {
 public:
  QtEventLoop();
  TimePoint Now() const override;
  void ProcessEvents() override;
  std::unique_ptr<Timer> CreateTimer() override;

 private:
  QTimer heartbeat_;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_EVENT_LOOP_H_
