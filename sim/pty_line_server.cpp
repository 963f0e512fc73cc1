#include "sim/pty_line_server.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <thread>

namespace tolvane::sim {
namespace {

// While no program has the device open the master reports a hang-up at once;
// the next look is this much later.
constexpr int kIdleLookMs = 20;

}  // namespace

PtyLineServer::PtyLineServer() {
  int slave = -1;
  if (openpty(&master_, &slave, nullptr, nullptr, nullptr) != 0) {
    throw std::runtime_error("no pseudo-terminal available");
  }
  // Raw from the start: no echo or line editing by the terminal driver, even
  // before the program sets its own line settings.
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  device_path_ = ttyname(slave);
  close(slave);
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyLineServer::~PtyLineServer() {
  if (master_ >= 0) close(master_);
}

Scheduler PtyLineServer::MakeScheduler() {
  return [this](int ms, std::function<void()> action) { Schedule(ms, std::move(action)); };
}

void PtyLineServer::Attach(LineDevice& device) {
  device_ = &device;
  device_->SetToDte([this](const std::string& bytes) { Write(bytes); });
}

void PtyLineServer::Schedule(int milliseconds, std::function<void()> action) {
  due_.emplace(std::pair{SteadyClock::now() + std::chrono::milliseconds(milliseconds), next_seq_++},
               std::move(action));
}

void PtyLineServer::RunDue() {
  while (!due_.empty() && due_.begin()->first.first <= SteadyClock::now()) {
    auto action = std::move(due_.begin()->second);
    due_.erase(due_.begin());
    action();
  }
}

void PtyLineServer::Write(const std::string& bytes) {
  if (!peer_open_ || master_ < 0) return;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

void PtyLineServer::PeerCame() {
  if (peer_open_) return;
  peer_open_ = true;
  if (device_ != nullptr) device_->SetDtr(true);
}

void PtyLineServer::PeerGone() {
  if (!peer_open_) return;
  peer_open_ = false;
  if (device_ != nullptr) device_->SetDtr(false);
}

void PtyLineServer::Poll(int max_wait_ms) {
  int wait = max_wait_ms;
  if (!due_.empty()) {
    auto until = std::chrono::duration_cast<std::chrono::milliseconds>(due_.begin()->first.first -
                                                                       SteadyClock::now());
    wait = std::clamp(static_cast<int>(until.count()), 0, max_wait_ms);
  }
  if (master_ < 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    RunDue();
    return;
  }
  pollfd fd{master_, POLLIN, 0};
  int ready = poll(&fd, 1, wait);
  if (ready > 0 && (fd.revents & POLLIN)) {
    char bytes[512];
    ssize_t n = read(master_, bytes, sizeof bytes);
    if (n > 0) {
      PeerCame();
      if (device_ != nullptr) device_->FromDte(std::string(bytes, static_cast<size_t>(n)));
    } else if (n < 0 && errno == EIO) {
      PeerGone();
    }
  } else if (ready > 0 && (fd.revents & POLLHUP)) {
    PeerGone();
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(wait, kIdleLookMs)));
  } else if (ready == 0) {
    // A program that opened the device but has not written yet.
    PeerCame();
  }
  RunDue();
}

void PtyLineServer::Unplug() {
  if (master_ < 0) return;
  close(master_);
  master_ = -1;
  PeerGone();
}

}  // namespace tolvane::sim
