#include "platform/atomic_file.h"

#include "platform/local_file_system.h"

namespace tolvane {

bool ReplaceFile(FileSystem& files, const std::string& path, const std::string& temp_path,
                 const std::string& content, ExistingPermissions existing) {
  bool ok = files.Create(temp_path);
  if (ok && existing == ExistingPermissions::kKeep) ok = files.CopyPermissions(path, temp_path);
  ok = ok && files.Append(temp_path, content) && files.Flush(temp_path) &&
       files.Rename(temp_path, path);
  if (!ok) {
    files.Remove(temp_path);
    return false;
  }
  // The new file is in place; a folder that cannot be flushed only leaves the
  // rename to the system's own time.
  const size_t separator = path.find_last_of("/\\");
  files.FlushFolder(separator == std::string::npos ? "" : path.substr(0, separator + 1));
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& content,
                         ExistingPermissions existing) {
  return ReplaceFile(ProgramFileSystem(), path, path + ".tmp", content, existing);
}

}  // namespace tolvane
