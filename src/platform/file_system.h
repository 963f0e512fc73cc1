#ifndef TOLVANE_PLATFORM_FILE_SYSTEM_H_
#define TOLVANE_PLATFORM_FILE_SYSTEM_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// What tells a file's writes apart: its size and modification time (in the
// file system's own units). Two equal stamps mean nothing was written between.
struct FileStamp {
  std::uintmax_t size = 0;
  std::int64_t modified = 0;
  bool operator==(const FileStamp&) const = default;
};

// The separator this platform puts between a folder and a file name.
inline constexpr char kPathSeparator =
    static_cast<char>(std::filesystem::path::preferred_separator);

// The files of watched folders, as the program reads and removes them. Paths
// and names are the platform's own bytes.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The names of the regular files of `folder` (no folders), in no
  // particular order. None when the folder cannot be listed.
  virtual std::vector<std::string> ListFiles(const std::string& folder) = 0;
  // nullopt when the file is not there (any more).
  virtual std::optional<FileStamp> Stamp(const std::string& path) = 0;
  // The whole file, byte for byte, into `content`. 0, or the system error
  // number.
  virtual int ReadFile(const std::string& path, std::string& content) = 0;
  // Removes the file, read-only or not; false when it cannot.
  virtual bool RemoveFile(const std::string& path) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_FILE_SYSTEM_H_
