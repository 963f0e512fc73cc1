#ifndef TOLVANE_PLATFORM_LOCAL_FILE_SYSTEM_H_
#define TOLVANE_PLATFORM_LOCAL_FILE_SYSTEM_H_

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tolvane {

// The machine's own file system.
class LocalFileSystem : public FileSystem {
 public:
  std::vector<std::string> ListFiles(const std::string& folder) override;
  std::optional<FileStamp> Stamp(const std::string& path) override;
  int ReadFile(const std::string& path, std::string& content) override;
  bool RemoveFile(const std::string& path) override;
};

// Removes the file at `path` after making it writable (a read-only file
// cannot be deleted on every platform); false when it is still there.
bool ForceRemoveFile(const std::string& path);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_LOCAL_FILE_SYSTEM_H_
