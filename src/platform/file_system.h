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

// The file operations of the program, one step each, so a test can make any
// step fail (or stop all work after it, as a crash does), or change a file
// between two steps. A change that fails leaves its reason in errno.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Names of the entries of `folder`; empty when it cannot be read.
  virtual std::vector<std::string> List(const std::string& folder) = 0;
  // The stamp of a regular file; nothing for a folder or a missing file.
  virtual std::optional<FileStamp> Stamp(const std::string& path) = 0;
  // Whether `path` (with or without a trailing separator) is a folder.
  virtual bool IsFolder(const std::string& path) = 0;
  // The whole file into `content`: 0, or the system error number.
  virtual int ReadFile(const std::string& path, std::string& content) = 0;
  // The whole content, or nothing when the file cannot be read.
  std::optional<std::string> Read(const std::string& path);
  // Makes `path` a new empty file, readable and writable by the owner only;
  // an old file of that name is removed first.
  virtual bool Create(const std::string& path) = 0;
  // Adds `data` at the end of the file, creating a missing one (readable and
  // writable by the owner only, as the records name people and numbers).
  virtual bool Append(const std::string& path, const std::string& data) = 0;
  // Cuts the file back to `size` bytes.
  virtual bool Truncate(const std::string& path, std::uintmax_t size) = 0;
  // Returns once what was written to the file is on the disk.
  virtual bool Flush(const std::string& path) = 0;
  // Gives `to` the permissions of `from`; nothing to do when `from` is missing.
  virtual bool CopyPermissions(const std::string& from, const std::string& to) = 0;
  // Puts `from` in the place of `to` in one step: a reader finds either the
  // old `to` or the new one, never neither.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
  // Returns once the renames in `folder` are on the disk.
  virtual bool FlushFolder(const std::string& folder) = 0;
};

// The path of the entry of `folder` (which ends with a separator) named
// `name` in any letter case, as the program names its files inconsistently.
// An entry of exactly that name wins over the others.
std::optional<std::string> FindAnyCase(FileSystem& files, const std::string& folder,
                                       const std::string& name);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_FILE_SYSTEM_H_
