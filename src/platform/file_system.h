#ifndef TOLVANE_PLATFORM_FILE_SYSTEM_H_
#define TOLVANE_PLATFORM_FILE_SYSTEM_H_

#include <sys/types.h>

#include <string>

namespace tolvane {

// The file operations through which the program writes its data files (the
// settings, the password file, the log and the receipt file), one step each.
// The program uses the real file system; a test puts a faulty one in its
// place to fail or cut off any step. Every operation returns 0 or the error
// number (errno) of its failure.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // mkstemp: creates a new file, readable and writable by the owner only,
  // from `path_template` (ending in "XXXXXX", replaced by the name made).
  virtual int CreateTemporary(std::string& path_template, int& fd);
  // Opens `path` for appending, creating it; `size` gets its length.
  virtual int OpenForAppend(const std::string& path, int& fd, off_t& size);
  // Writes all of `data` (a failure may leave part of it written).
  virtual int Write(int fd, const std::string& data);
  virtual int Sync(int fd);
  virtual int SetSize(int fd, off_t size);
  virtual int SetMode(int fd, mode_t mode);
  virtual int Close(int fd);
  // Replaces `to` by `from` in one step.
  virtual int Rename(const std::string& from, const std::string& to);
  virtual int Remove(const std::string& path);

  // The file system in use: the real one unless a test set another.
  static FileSystem& Current();
  // Puts `file_system` in use; nullptr goes back to the real one.
  static void SetCurrent(FileSystem* file_system);
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_FILE_SYSTEM_H_
