#include "platform/local_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace tolvane {
namespace {

// A descriptor that closes itself; Close() reports what close() said.
class Fd {
 public:
  Fd(const std::string& path, int flags, mode_t mode = 0)
      : fd_(open(path.c_str(), flags | O_CLOEXEC, mode)) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;

  bool ok() const { return fd_ >= 0; }
  int get() const { return fd_; }
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

}  // namespace

LocalFileSystem& LocalFileSystem::Instance() {
  static LocalFileSystem instance;
  return instance;
}

std::vector<std::string> LocalFileSystem::List(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  return names;
}

std::optional<FileStamp> LocalFileSystem::Stamp(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return FileStamp{
      static_cast<std::uintmax_t>(info.st_size),
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

bool LocalFileSystem::IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int LocalFileSystem::ReadFile(const std::string& path, std::string& content) {
  Fd file(path, O_RDONLY);
  if (!file.ok()) return errno;
  struct stat info;
  if (fstat(file.get(), &info) != 0) return errno;
  if (S_ISDIR(info.st_mode)) return EISDIR;
  std::string read_so_far;
  char buffer[8192];
  for (;;) {
    ssize_t got = read(file.get(), buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    read_so_far.append(buffer, static_cast<size_t>(got));
  }
  content = std::move(read_so_far);
  return 0;
}

bool LocalFileSystem::Create(const std::string& path) {
  if (unlink(path.c_str()) != 0 && errno != ENOENT) return false;
  Fd file(path, O_WRONLY | O_CREAT | O_EXCL, 0600);
  return file.ok() && file.Close();
}

bool LocalFileSystem::Append(const std::string& path, const std::string& data) {
  Fd file(path, O_WRONLY | O_APPEND | O_CREAT, 0600);
  if (!file.ok()) return false;
  const char* next = data.data();
  size_t left = data.size();
  while (left > 0) {
    ssize_t written = write(file.get(), next, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    next += written;
    left -= static_cast<size_t>(written);
  }
  return file.Close();
}

bool LocalFileSystem::Truncate(const std::string& path, std::uintmax_t size) {
  return truncate(path.c_str(), static_cast<off_t>(size)) == 0;
}

bool LocalFileSystem::Flush(const std::string& path) {
  Fd file(path, O_WRONLY);
  return file.ok() && fsync(file.get()) == 0 && file.Close();
}

bool LocalFileSystem::CopyPermissions(const std::string& from, const std::string& to) {
  struct stat info;
  if (stat(from.c_str(), &info) != 0) return errno == ENOENT;
  return chmod(to.c_str(), info.st_mode & 07777) == 0;
}

bool LocalFileSystem::Rename(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool LocalFileSystem::Remove(const std::string& path) { return unlink(path.c_str()) == 0; }

bool LocalFileSystem::FlushFolder(const std::string& folder) {
  Fd dir(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
  return dir.ok() && fsync(dir.get()) == 0 && dir.Close();
}

namespace {

FileSystem* program_file_system = nullptr;

}  // namespace

FileSystem& ProgramFileSystem() {
  return program_file_system != nullptr ? *program_file_system : LocalFileSystem::Instance();
}

void SetProgramFileSystem(FileSystem* files) { program_file_system = files; }

}  // namespace tolvane
