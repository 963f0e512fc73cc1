#include "support/faulty_sqlite_vfs.h"

#include <utility>

namespace tolvane::testing {

namespace {

// The file SQLite sees: these methods first, the real file right behind.
struct File {
  sqlite3_file base;
  FaultySqliteVfs* owner;
  bool faulted;
};

sqlite3_file* Real(sqlite3_file* file) {
  return reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + sizeof(File));
}

// Every method but the write goes straight to the real file.
template <auto Method, typename Result, typename... Args>
Result Forward(sqlite3_file* file, Args... args) {
  sqlite3_file* real = Real(file);
  return (real->pMethods->*Method)(real, args...);
}

}  // namespace

FaultySqliteVfs::FaultySqliteVfs(std::string prefix)
    : prefix_(std::move(prefix)), real_(sqlite3_vfs_find(nullptr)), vfs_(*real_) {
  vfs_.zName = "tolvane-faulty";
  vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
  vfs_.pAppData = this;
  vfs_.xOpen = Open;
  sqlite3_vfs_register(&vfs_, 1);
}

FaultySqliteVfs::~FaultySqliteVfs() { sqlite3_vfs_unregister(&vfs_); }

int FaultySqliteVfs::Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags,
                          int* out_flags) {
  using M = sqlite3_io_methods;
  static const sqlite3_io_methods kMethods = {
      3,
      Forward<&M::xClose, int>,
      Forward<&M::xRead, int, void*, int, sqlite3_int64>,
      Write,
      Forward<&M::xTruncate, int, sqlite3_int64>,
      Forward<&M::xSync, int, int>,
      Forward<&M::xFileSize, int, sqlite3_int64*>,
      Forward<&M::xLock, int, int>,
      Forward<&M::xUnlock, int, int>,
      Forward<&M::xCheckReservedLock, int, int*>,
      Forward<&M::xFileControl, int, int, void*>,
      Forward<&M::xSectorSize, int>,
      Forward<&M::xDeviceCharacteristics, int>,
      Forward<&M::xShmMap, int, int, int, int, void volatile**>,
      Forward<&M::xShmLock, int, int, int, int>,
      Forward<&M::xShmBarrier, void>,
      Forward<&M::xShmUnmap, int, int>,
      Forward<&M::xFetch, int, sqlite3_int64, int, void**>,
      Forward<&M::xUnfetch, int, sqlite3_int64, void*>,
  };
  auto* self = static_cast<FaultySqliteVfs*>(vfs->pAppData);
  auto* faulty = reinterpret_cast<File*>(file);
  faulty->base.pMethods = nullptr;
  faulty->owner = self;
  faulty->faulted = name != nullptr && std::string(name).starts_with(self->prefix_);
  if (faulty->faulted && self->read_only_) {
    int exists = 0;
    self->real_->xAccess(self->real_, name, SQLITE_ACCESS_EXISTS, &exists);
    if (!exists) return SQLITE_CANTOPEN;
    flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
  }
  const int result = self->real_->xOpen(self->real_, name, Real(file), flags, out_flags);
  if (Real(file)->pMethods != nullptr) faulty->base.pMethods = &kMethods;
  return result;
}

int FaultySqliteVfs::Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
  auto* faulty = reinterpret_cast<File*>(file);
  std::int64_t& room = faulty->owner->room_;
  if (faulty->faulted && room >= 0) {
    if (amount > room) {
      room = 0;
      return SQLITE_FULL;
    }
    room -= amount;
  }
  return Forward<&sqlite3_io_methods::xWrite, int, const void*, int, sqlite3_int64>(file, data,
                                                                                    amount, offset);
}

}  // namespace tolvane::testing
