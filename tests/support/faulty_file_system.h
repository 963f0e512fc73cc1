#ifndef TOLVANE_TESTS_SUPPORT_FAULTY_FILE_SYSTEM_H_
#define TOLVANE_TESTS_SUPPORT_FAULTY_FILE_SYSTEM_H_

#include <cerrno>
#include <string>

#include "platform/file_system.h"

namespace tolvane::testing {

// The real file system with one fault at a chosen step of the writes, in use
// while the object lives. Steps are counted from 0 over every operation.
// - An error makes that step fail with its number; a failing write first
//   writes half of its data, as a disk that fills up does.
// - A crash stops the program at that step: neither it nor any later step
//   reaches the disk (they fail), though files are still closed. What the
//   files hold then is what the next start finds.
class FaultyFileSystem : public FileSystem {
 public:
  FaultyFileSystem() { FileSystem::SetCurrent(this); }
  ~FaultyFileSystem() override { FileSystem::SetCurrent(nullptr); }
  FaultyFileSystem(const FaultyFileSystem&) = delete;
  FaultyFileSystem& operator=(const FaultyFileSystem&) = delete;

  void FailAt(int step, int error = ENOSPC) {
    fault_step_ = step;
    error_ = error;
    crash_ = false;
  }
  void CrashAt(int step) {
    fault_step_ = step;
    crash_ = true;
  }
  // Back to no fault and a step count of 0.
  void Reset() {
    fault_step_ = -1;
    steps_ = 0;
    crashed_ = false;
  }
  // The steps taken so far.
  int Steps() const { return steps_; }
  bool Crashed() const { return crashed_; }

  int CreateTemporary(std::string& path_template, int& fd) override;
  int OpenForAppend(const std::string& path, int& fd, off_t& size) override;
  int Write(int fd, const std::string& data) override;
  int Sync(int fd) override;
  int SetSize(int fd, off_t size) override;
  int SetMode(int fd, mode_t mode) override;
  int Close(int fd) override;
  int Rename(const std::string& from, const std::string& to) override;
  int Remove(const std::string& path) override;

 private:
  // The error for this step, 0 when it goes ahead.
  int Fault();

  int steps_ = 0;
  int fault_step_ = -1;
  int error_ = ENOSPC;
  bool crash_ = false;
  bool crashed_ = false;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_FAULTY_FILE_SYSTEM_H_
