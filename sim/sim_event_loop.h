#ifndef TOLVANE_SIM_SIM_EVENT_LOOP_H_
#define TOLVANE_SIM_SIM_EVENT_LOOP_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <utility>

#include "platform/event_loop.h"

namespace tolvane::sim {

// Thrown when a wait could never end: nothing is scheduled, or virtual time
// ran past the loop's limit.
class SimulationStalled : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An event loop on virtual time. ProcessEvents() runs the next event; when it
// lies in the future the clock moves to it first, so a wait of 82 seconds takes
// no real time.
class SimEventLoop : public EventLoop {
 public:
  using Millis = std::chrono::milliseconds;

  // Virtual time starts at `start` (default 2026-12-06 10:00:00 UTC).
  explicit SimEventLoop(TimePoint start = DefaultStart());
  ~SimEventLoop() override;

  TimePoint Now() const override { return now_; }
  void ProcessEvents() override;
  std::unique_ptr<Timer> CreateTimer() override;

  // Schedules `action` at `delay` from now (a user's click, a peer's answer).
  void After(Millis delay, std::function<void()> action);
  // Schedules `action` at `offset` from the loop's start.
  void At(Millis offset, std::function<void()> action);
  // Runs everything due up to `duration` from now.
  void RunFor(Millis duration);
  Millis Elapsed() const { return std::chrono::duration_cast<Millis>(now_ - start_); }
  // Virtual time after which a wait is taken to hang (default one day).
  void SetLimit(Millis limit) { limit_ = limit; }

  static TimePoint DefaultStart();

 private:
  class SimTimer;
  struct Key {
    TimePoint when;
    uint64_t seq;
    bool operator<(const Key& other) const {
      return when != other.when ? when < other.when : seq < other.seq;
    }
  };

  uint64_t Schedule(TimePoint when, std::function<void()> action);
  void Cancel(uint64_t seq, TimePoint when);
  bool RunNextDue();

  TimePoint start_;
  TimePoint now_;
  Millis limit_{std::chrono::hours(24)};
  uint64_t next_seq_ = 1;
  std::map<Key, std::function<void()>> queue_;
  // Timers outlive neither the loop nor their own scheduled events.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_EVENT_LOOP_H_
