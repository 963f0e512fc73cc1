#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tolvane {
namespace {

bool WriteAll(int fd, const std::string& content) {
  const char* data = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t written = write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& content,
                         ExistingPermissions existing) {
  std::string temp_path = path + ".XXXXXX";
  int fd = mkstemp(temp_path.data());  // created with mode 0600
  if (fd < 0) return false;

  bool ok = true;
  struct stat old_file;
  if (existing == ExistingPermissions::kKeep && stat(path.c_str(), &old_file) == 0) {
    ok = fchmod(fd, old_file.st_mode & 07777) == 0;
  }
  ok = ok && WriteAll(fd, content) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && std::rename(temp_path.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temp_path.c_str());
  return ok;
}

}  // namespace tolvane
