#include "platform/atomic_file.h"

#include <sys/stat.h>

#include "platform/file_system.h"

namespace tolvane {

bool WriteFileAtomically(const std::string& path, const std::string& content,
                         ExistingPermissions existing) {
  FileSystem& files = FileSystem::Current();
  std::string temp_path = path + ".XXXXXX";
  int fd = -1;
  if (files.CreateTemporary(temp_path, fd) != 0) return false;

  bool ok = true;
  struct stat old_file;
  if (existing == ExistingPermissions::kKeep && stat(path.c_str(), &old_file) == 0) {
    ok = files.SetMode(fd, old_file.st_mode & 07777) == 0;
  }
  // Synced before the rename, so that a crash leaves the old file or the
  // whole new one, never an empty one.
  ok = ok && files.Write(fd, content) == 0 && files.Sync(fd) == 0;
  ok = files.Close(fd) == 0 && ok;
  ok = ok && files.Rename(temp_path, path) == 0;
  if (!ok) files.Remove(temp_path);
  return ok;
}

}  // namespace tolvane
