#include "sim/sim_event_loop.h"

#include <string>

namespace tolvane::sim {

class SimEventLoop::SimTimer : public Timer {
 public:
  SimTimer(SimEventLoop& loop, std::shared_ptr<bool> loop_alive)
      : loop_(loop), loop_alive_(std::move(loop_alive)) {}
  ~SimTimer() override { Stop(); }

  void SetInterval(int milliseconds) override { interval_ = milliseconds; }
  int Interval() const override { return interval_; }
  void SetSingleShot(bool single_shot) override { single_shot_ = single_shot; }
  void Start() override {
    Stop();
    Arm();
  }
  void Stop() override {
    if (active_ && *loop_alive_) loop_.Cancel(seq_, due_);
    active_ = false;
  }
  bool IsActive() const override { return active_; }
  void SetCallback(std::function<void()> callback) override { callback_ = std::move(callback); }

 private:
  void Arm() {
    active_ = true;
    due_ = loop_.Now() + Millis(interval_ > 0 ? interval_ : 0);
    seq_ = loop_.Schedule(due_, [this] { Fire(); });
  }
  void Fire() {
    active_ = false;
    if (!single_shot_) Arm();
    // The callback may stop, restart or destroy this timer.
    auto callback = callback_;
    if (callback) callback();
  }

  SimEventLoop& loop_;
  std::shared_ptr<bool> loop_alive_;
  int interval_ = 0;
  bool single_shot_ = false;
  bool active_ = false;
  TimePoint due_{};
  uint64_t seq_ = 0;
  std::function<void()> callback_;
};

SimEventLoop::SimEventLoop(TimePoint start) : start_(start), now_(start) {}

SimEventLoop::~SimEventLoop() { *alive_ = false; }

TimePoint SimEventLoop::DefaultStart() {
  // 2026-12-06 10:00:00 UTC.
  return TimePoint(std::chrono::seconds(1796551200));
}

std::unique_ptr<Timer> SimEventLoop::CreateTimer() {
  return std::make_unique<SimTimer>(*this, alive_);
}

uint64_t SimEventLoop::Schedule(TimePoint when, std::function<void()> action) {
  uint64_t seq = next_seq_++;
  queue_.emplace(Key{when, seq}, std::move(action));
  return seq;
}

void SimEventLoop::Cancel(uint64_t seq, TimePoint when) { queue_.erase(Key{when, seq}); }

void SimEventLoop::After(Millis delay, std::function<void()> action) {
  Schedule(now_ + delay, std::move(action));
}

void SimEventLoop::At(Millis offset, std::function<void()> action) {
  Schedule(start_ + offset, std::move(action));
}

bool SimEventLoop::RunNextDue() {
  if (queue_.empty()) return false;
  auto it = queue_.begin();
  if (it->first.when > now_) now_ = it->first.when;
  auto action = std::move(it->second);
  queue_.erase(it);
  action();
  return true;
}

void SimEventLoop::ProcessEvents() {
  if (queue_.empty()) {
    throw SimulationStalled("a wait has nothing scheduled that could end it (at " +
                            std::to_string(Elapsed().count()) + " ms)");
  }
  if (queue_.begin()->first.when - start_ > limit_) {
    throw SimulationStalled("virtual time ran past the limit; a wait never ended");
  }
  // One event per call keeps the order of events and flag checks exact.
  RunNextDue();
}

void SimEventLoop::RunFor(Millis duration) {
  TimePoint end = now_ + duration;
  while (!queue_.empty() && queue_.begin()->first.when <= end) RunNextDue();
  now_ = end;
}

}  // namespace tolvane::sim
