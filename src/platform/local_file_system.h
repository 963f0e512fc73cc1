#ifndef TOLVANE_PLATFORM_LOCAL_FILE_SYSTEM_H_
#define TOLVANE_PLATFORM_LOCAL_FILE_SYSTEM_H_

#include "platform/file_system.h"

namespace tolvane {

// The machine's own files, through the POSIX calls (rename over an existing
// file is atomic there; a Windows port would use MoveFileEx with
// MOVEFILE_REPLACE_EXISTING and MOVEFILE_WRITE_THROUGH).
class LocalFileSystem : public FileSystem {
 public:
  // The one instance the program uses.
  static LocalFileSystem& Instance();

  std::vector<std::string> List(const std::string& folder) override;
  std::optional<FileStamp> Stamp(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  int ReadFile(const std::string& path, std::string& content) override;
  bool Create(const std::string& path) override;
  bool Append(const std::string& path, const std::string& data) override;
  bool Truncate(const std::string& path, std::uintmax_t size) override;
  bool Flush(const std::string& path) override;
  bool CopyPermissions(const std::string& from, const std::string& to) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override;
  bool FlushFolder(const std::string& folder) override;
};

// The file system the program writes its data files through (settings,
// password, log, receipt file): the local one, unless a test has put another
// in its place.
FileSystem& ProgramFileSystem();
// Puts `files` in use as ProgramFileSystem(); nullptr goes back to the local one.
void SetProgramFileSystem(FileSystem* files);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_LOCAL_FILE_SYSTEM_H_
