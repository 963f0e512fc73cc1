#ifndef TOLVANE_SIM_SIM_DIALLER_H_
#define TOLVANE_SIM_SIM_DIALLER_H_

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialler.h"
#include "sim/sim_event_loop.h"

namespace tolvane::sim {

// A dial-up connection on virtual time. Each dial takes the next queued
// outcome (connecting when none is queued) and reports its steps a second
// apart.
class SimDialler : public Dialler {
 public:
  // kAuthenticateOnly: authenticated, then never connected.
  enum class Outcome { kConnect, kBusy, kFail, kSilent, kAuthenticateOnly };
  static constexpr int kStepMs = 1000;
  static constexpr int kFailNumber = 678;
  static constexpr char kFailText[] = "The remote computer did not respond.";

  explicit SimDialler(SimEventLoop& loop) : loop_(loop) {}
  ~SimDialler() override { ++*generation_; }

  std::vector<std::string> ConnectionNames() override { return connections_; }
  void SetEntryName(const std::string& name) override { entry_name_ = name; }
  const std::string& EntryName() const override { return entry_name_; }
  void SetUserName(const std::string& user_name) override { user_name_ = user_name; }
  void SetPassword(const std::string& password) override { password_ = password; }
  void Dial() override;
  bool IsConnected() override { return connected_; }
  void HangUp() override;
  void SetOnStateChanged(std::function<void(int)> handler) override {
    on_state_ = std::move(handler);
  }
  void SetOnError(std::function<void(int, const std::string&)> handler) override {
    on_error_ = std::move(handler);
  }

  void SetConnections(std::vector<std::string> names) { connections_ = std::move(names); }
  void QueueOutcome(Outcome outcome) { outcomes_.push_back(outcome); }
  // A connection that is up before any dial.
  void SetConnected(bool connected) { connected_ = connected; }
  // The line goes: it is reported disconnected at once.
  void Drop();
  const std::string& UserName() const { return user_name_; }
  const std::string& Password() const { return password_; }
  // The virtual time (ms since the loop's start) of every dial and hang-up.
  const std::vector<long long>& Dials() const { return dials_; }
  int HangUps() const { return hang_ups_; }

 private:
  void At(int step, std::function<void()> action);

  SimEventLoop& loop_;
  std::vector<std::string> connections_;
  std::deque<Outcome> outcomes_;
  std::string entry_name_;
  std::string user_name_;
  std::string password_;
  std::function<void(int)> on_state_;
  std::function<void(int, const std::string&)> on_error_;
  std::shared_ptr<int> generation_ = std::make_shared<int>(0);
  bool connected_ = false;
  std::vector<long long> dials_;
  int hang_ups_ = 0;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_DIALLER_H_
