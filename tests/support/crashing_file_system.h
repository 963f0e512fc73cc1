#ifndef TOLVANE_TESTS_SUPPORT_CRASHING_FILE_SYSTEM_H_
#define TOLVANE_TESTS_SUPPORT_CRASHING_FILE_SYSTEM_H_

#include <cerrno>
#include <string>
#include <vector>

#include "platform/local_file_system.h"

namespace tolvane::testing {

// The machine's files, until the program "crashes" at a chosen step (nothing
// more reaches the disk) or one chosen step fails as on a full disk. A failing
// append gets half its data out first. Reading never fails.
class CrashingFileSystem : public FileSystem {
 public:
  // Crashes at the `step`-th change from now on (0 is the next one).
  void CrashAt(int step) { crash_at_ = steps_ + step; }
  // Fails the `step`-th change from now on with `error`.
  void FailAt(int step, int error = ENOSPC) {
    fail_at_ = steps_ + step;
    error_ = error;
  }
  // Changes asked for so far, crashed or not.
  int steps() const { return steps_; }
  bool crashed() const { return crash_at_ >= 0 && steps_ > crash_at_; }

  std::vector<std::string> List(const std::string& folder) override { return real_.List(folder); }
  std::optional<FileStamp> Stamp(const std::string& path) override { return real_.Stamp(path); }
  bool IsFolder(const std::string& path) override { return real_.IsFolder(path); }
  int ReadFile(const std::string& path, std::string& content) override {
    return real_.ReadFile(path, content);
  }
  bool Create(const std::string& path) override { return Step() && real_.Create(path); }
  bool Append(const std::string& path, const std::string& data) override {
    if (Step()) return real_.Append(path, data);
    if (steps_ - 1 == crash_at_ || steps_ - 1 == fail_at_) {
      real_.Append(path, data.substr(0, data.size() / 2));
      errno = steps_ - 1 == fail_at_ ? error_ : EIO;
    }
    return false;
  }
  bool Truncate(const std::string& path, std::uintmax_t size) override {
    return Step() && real_.Truncate(path, size);
  }
  bool Flush(const std::string& path) override { return Step() && real_.Flush(path); }
  bool CopyPermissions(const std::string& from, const std::string& to) override {
    return Step() && real_.CopyPermissions(from, to);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return Step() && real_.Rename(from, to);
  }
  bool Remove(const std::string& path) override { return Step() && real_.Remove(path); }
  bool FlushFolder(const std::string& folder) override {
    return Step() && real_.FlushFolder(folder);
  }

 private:
  bool Step() {
    const int step = steps_++;
    if (step == fail_at_) {
      errno = error_;
      return false;
    }
    if (crash_at_ >= 0 && step >= crash_at_) {
      errno = EIO;
      return false;
    }
    return true;
  }

  LocalFileSystem real_;
  int steps_ = 0;
  int crash_at_ = -1;
  int fail_at_ = -1;
  int error_ = ENOSPC;
};

// Puts a file system in use as the program's for as long as it lives.
class ProgramFileSystemScope {
 public:
  explicit ProgramFileSystemScope(FileSystem& files) { SetProgramFileSystem(&files); }
  ~ProgramFileSystemScope() { SetProgramFileSystem(nullptr); }
  ProgramFileSystemScope(const ProgramFileSystemScope&) = delete;
  ProgramFileSystemScope& operator=(const ProgramFileSystemScope&) = delete;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_CRASHING_FILE_SYSTEM_H_
