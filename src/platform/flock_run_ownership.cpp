#include "platform/flock_run_ownership.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>

namespace tolvane {
namespace {

// Owner names come from the store and become file names: anything else is
// no owner of ours.
bool IsOwnerName(const std::string& owner) {
  if (owner.empty() || owner.size() > 64) return false;
  for (char c : owner) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || c == '-')) return false;
  }
  return true;
}

}  // namespace

FlockRunOwnership::~FlockRunOwnership() {
  if (fd_ < 0) return;
  // Ended in order: the file goes, then the lock with the descriptor.
  ::unlink(LockPath(owner_).c_str());
  ::close(fd_);
}

std::string FlockRunOwnership::LockPath(const std::string& owner) const {
  return folder_ + "messages-" + owner + ".lock";
}

std::string FlockRunOwnership::Take() {
  if (fd_ >= 0) return owner_;
  // The process id makes the name unique among running programs, the start
  // time and a counter among those that ran before and in this process.
  static std::atomic<int> taken = 0;
  const auto started = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
  const std::string owner = "p" + std::to_string(::getpid()) + "-" + std::to_string(started) + "-" +
                            std::to_string(taken++);
  const int fd = ::open(LockPath(owner).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return {};
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return {};
  }
  fd_ = fd;
  owner_ = owner;
  return owner_;
}

bool FlockRunOwnership::Alive(const std::string& owner) {
  if (owner == owner_ && fd_ >= 0) return true;
  if (!IsOwnerName(owner)) return false;
  const std::string path = LockPath(owner);
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  // A lock nobody holds is left over from a program that ended abruptly.
  if (free) ::unlink(path.c_str());
  ::close(fd);
  return !free;
}

}  // namespace tolvane
