#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tolvane {
namespace {

FileSystem* current = nullptr;

// errno, or EIO when the C library failed without setting it.
int LastError() { return errno != 0 ? errno : EIO; }

}  // namespace

int FileSystem::CreateTemporary(std::string& path_template, int& fd) {
  errno = 0;
  fd = mkstemp(path_template.data());
  return fd < 0 ? LastError() : 0;
}

int FileSystem::OpenForAppend(const std::string& path, int& fd, off_t& size) {
  errno = 0;
  fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return LastError();
  struct stat status;
  if (fstat(fd, &status) != 0) {
    const int error = LastError();
    close(fd);
    fd = -1;
    return error;
  }
  size = status.st_size;
  return 0;
}

int FileSystem::Write(int fd, const std::string& data) {
  const char* next = data.data();
  size_t left = data.size();
  while (left > 0) {
    errno = 0;
    const ssize_t written = write(fd, next, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    next += written;
    left -= static_cast<size_t>(written);
  }
  return 0;
}

int FileSystem::Sync(int fd) {
  errno = 0;
  return fsync(fd) == 0 ? 0 : LastError();
}

int FileSystem::SetSize(int fd, off_t size) {
  errno = 0;
  return ftruncate(fd, size) == 0 ? 0 : LastError();
}

int FileSystem::SetMode(int fd, mode_t mode) {
  errno = 0;
  return fchmod(fd, mode) == 0 ? 0 : LastError();
}

int FileSystem::Close(int fd) {
  errno = 0;
  return close(fd) == 0 ? 0 : LastError();
}

int FileSystem::Rename(const std::string& from, const std::string& to) {
  errno = 0;
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : LastError();
}

int FileSystem::Remove(const std::string& path) {
  errno = 0;
  return unlink(path.c_str()) == 0 ? 0 : LastError();
}

FileSystem& FileSystem::Current() {
  static FileSystem real;
  return current != nullptr ? *current : real;
}

void FileSystem::SetCurrent(FileSystem* file_system) { current = file_system; }

}  // namespace tolvane
