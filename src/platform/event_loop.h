#ifndef TOLVANE_PLATFORM_EVENT_LOOP_H_
#define TOLVANE_PLATFORM_EVENT_LOOP_H_

#include <chrono>
#include <functional>
#include <memory>

namespace tolvane {

using Clock = std::chrono::system_clock;
using TimePoint = Clock::time_point;

// A window timer: single-shot or periodic, firing on the one program thread.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetInterval(int milliseconds) = 0;
  virtual int Interval() const = 0;
  virtual void SetSingleShot(bool single_shot) = 0;
  // Starts the timer, or restarts it from now when it already runs.
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual bool IsActive() const = 0;
  virtual void SetCallback(std::function<void()> callback) = 0;
};

// The one event loop of the program. Every wait of the program is a loop that
// calls ProcessEvents() until a flag it watches changes.
class EventLoop {
 public:
  virtual ~EventLoop() = default;
  // Wall-clock time; virtual time under simulation.
  virtual TimePoint Now() const = 0;
  // Runs the pending events, waiting for at least one when none is pending.
  virtual void ProcessEvents() = 0;
  virtual std::unique_ptr<Timer> CreateTimer() = 0;
};

// Processes events until `done` returns true.
void WaitUntil(EventLoop& loop, const std::function<bool()>& done);
// How many WaitUntil (and WaitFor) loops are under way: 0 when an event
// runs from the loop at the top, where a new send may start.
int WaitDepth();

// Processes events for `milliseconds` of wall-clock time, or until `abort`
// returns true.
void WaitFor(EventLoop& loop, int milliseconds, const std::function<bool()>& abort = nullptr);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_EVENT_LOOP_H_
