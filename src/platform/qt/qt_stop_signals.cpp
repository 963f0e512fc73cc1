#include "platform/qt/qt_stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace tolvane {
namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT};

// The pipe of the one instance; the handler may only touch plain data.
int pipe_ends[2] = {-1, -1};

void OnSignal(int /*number*/) {
  const int saved_errno = errno;
  const char byte = 1;
  // A full pipe already holds a stop to read.
  [[maybe_unused]] const ssize_t written = ::write(pipe_ends[1], &byte, 1);
  errno = saved_errno;
}

}  // namespace

QtStopSignals::QtStopSignals(std::function<void()> on_stop) : on_stop_(std::move(on_stop)) {
  if (::pipe2(pipe_ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::runtime_error("no pipe for the stop signals");
  }
  notifier_ = std::make_unique<QSocketNotifier>(pipe_ends[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : kStopSignals) sigaction(number, &action, nullptr);
}

QtStopSignals::~QtStopSignals() {
  for (int number : kStopSignals) std::signal(number, SIG_DFL);
  notifier_.reset();
  ::close(pipe_ends[0]);
  ::close(pipe_ends[1]);
  pipe_ends[0] = pipe_ends[1] = -1;
}

void QtStopSignals::OnReadable() {
  char bytes[16];
  while (::read(pipe_ends[0], bytes, sizeof bytes) > 0) {
  }
  // A second signal while the first is handled changes nothing.
  notifier_->setEnabled(false);
  on_stop_();
}

}  // namespace tolvane
