#include "platform/flock_run_ownership.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

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
  // Locked before it gets its name: a lock file that can be taken is always
  // one whose program is gone, and may be removed.
  const std::string path = LockPath(owner);
  const std::string unnamed = path + ".new";
  const int fd = ::open(unnamed.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return {};
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::rename(unnamed.c_str(), path.c_str()) != 0) {
    ::unlink(unnamed.c_str());
    ::close(fd);
    return {};
  }
  fd_ = fd;
  owner_ = owner;
  SweepLeftovers();
  return owner_;
}

void FlockRunOwnership::SweepLeftovers() {
  DIR* folder = ::opendir(folder_.c_str());
  if (folder == nullptr) return;
  std::vector<std::string> owners;
  constexpr std::string_view kPrefix = "messages-";
  constexpr std::string_view kSuffix = ".lock";
  while (const dirent* entry = ::readdir(folder)) {
    const std::string_view name = entry->d_name;
    if (name.size() > kPrefix.size() + kSuffix.size() && name.starts_with(kPrefix) &&
        name.ends_with(kSuffix)) {
      owners.emplace_back(
          name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size()));
    }
  }
  ::closedir(folder);
  // Seen free, a lock file goes.
  for (const std::string& owner : owners) Alive(owner);
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
