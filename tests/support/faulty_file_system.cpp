#include "support/faulty_file_system.h"

namespace tolvane::testing {

int FaultyFileSystem::Fault() {
  const int step = steps_++;
  if (crashed_) return EIO;
  if (step != fault_step_) return 0;
  crashed_ = crash_;
  return crash_ ? EIO : error_;
}

int FaultyFileSystem::CreateTemporary(std::string& path_template, int& fd) {
  if (int error = Fault()) return error;
  return FileSystem::CreateTemporary(path_template, fd);
}

int FaultyFileSystem::OpenForAppend(const std::string& path, int& fd, off_t& size) {
  if (int error = Fault()) return error;
  return FileSystem::OpenForAppend(path, fd, size);
}

int FaultyFileSystem::Write(int fd, const std::string& data) {
  if (int error = Fault()) {
    if (!crashed_) FileSystem::Write(fd, data.substr(0, data.size() / 2));
    return error;
  }
  return FileSystem::Write(fd, data);
}

int FaultyFileSystem::Sync(int) {
  // The crashes played here stop the program, not the machine: what was
  // written is in the file either way, and the tests need not wait for the disk.
  return Fault();
}

int FaultyFileSystem::SetSize(int fd, off_t size) {
  if (int error = Fault()) return error;
  return FileSystem::SetSize(fd, size);
}

int FaultyFileSystem::SetMode(int fd, mode_t mode) {
  if (int error = Fault()) return error;
  return FileSystem::SetMode(fd, mode);
}

int FaultyFileSystem::Close(int fd) {
  // A crashed program's files are closed by the system; nothing more is written.
  const int error = Fault();
  const int closed = FileSystem::Close(fd);
  return error != 0 ? error : closed;
}

int FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
  if (int error = Fault()) return error;
  return FileSystem::Rename(from, to);
}

int FaultyFileSystem::Remove(const std::string& path) {
  if (int error = Fault()) return error;
  return FileSystem::Remove(path);
}

}  // namespace tolvane::testing
