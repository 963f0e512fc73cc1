#ifndef TOLVANE_TESTS_SUPPORT_FAULTY_SQLITE_VFS_H_
#define TOLVANE_TESTS_SUPPORT_FAULTY_SQLITE_VFS_H_

#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace tolvane::testing {

// While it lives, SQLite's default file layer: the machine's disk, with the
// faults of a full disk or a read-only folder for the files whose path begins
// with `prefix` (a database and its -wal and -journal files).
class FaultySqliteVfs {
 public:
  explicit FaultySqliteVfs(std::string prefix);
  ~FaultySqliteVfs();
  FaultySqliteVfs(const FaultySqliteVfs&) = delete;
  FaultySqliteVfs& operator=(const FaultySqliteVfs&) = delete;

  // Writes fail with SQLITE_FULL once `bytes` more have gone to the disk;
  // -1 gives room again.
  void FillAfter(std::int64_t bytes) { room_ = bytes; }
  // Files open read-only; one that does not exist cannot be created.
  void SetReadOnly(bool read_only) { read_only_ = read_only; }

 private:
  static int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags,
                  int* out_flags);
  static int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset);

  std::string prefix_;
  std::int64_t room_ = -1;
  bool read_only_ = false;
  sqlite3_vfs* real_;
  sqlite3_vfs vfs_;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_FAULTY_SQLITE_VFS_H_
