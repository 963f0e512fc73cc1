#ifndef TOLVANE_SIM_SIM_FILE_SYSTEM_H_
#define TOLVANE_SIM_SIM_FILE_SYSTEM_H_

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tolvane::sim {

// Files in memory, named by their whole path with "/" between folders; a
// folder is there while a file lies in it. A test writes, appends and removes
// files, also from events on the simulated loop, so a file can grow while the
// program watches it, or even while it reads it.
class SimFileSystem : public FileSystem {
 public:
  void Write(const std::string& path, const std::string& content);
  // An empty folder; a folder also exists while a file lies in it.
  void MakeFolder(const std::string& path);
  // Reads of the file fail with `error` from now on.
  void FailReads(const std::string& path, int error);
  // Runs inside the next read of `path`, after the content was taken, as a
  // writer that is not done yet would.
  void DuringNextRead(const std::string& path, std::function<void()> action);

  bool Exists(const std::string& path) const { return files_.count(path) > 0; }
  int ReadCount(const std::string& path) const;
  // How often a folder was listed.
  int ListCount() const { return listings_; }

  std::vector<std::string> List(const std::string& folder) override;
  std::optional<FileStamp> Stamp(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  int ReadFile(const std::string& path, std::string& content) override;
  bool Create(const std::string& path) override;
  bool Append(const std::string& path, const std::string& data) override;
  bool Truncate(const std::string& path, std::uintmax_t size) override;
  bool Flush(const std::string&) override { return true; }
  bool CopyPermissions(const std::string&, const std::string&) override { return true; }
  bool Rename(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override { return files_.erase(path) > 0; }
  bool FlushFolder(const std::string&) override { return true; }

 private:
  struct File {
    std::string content;
    std::int64_t created = 0;
    std::int64_t modified = 0;
    int read_error = 0;
    int reads = 0;
    std::function<void()> during_read;
  };

  File& Open(const std::string& path);

  std::map<std::string, File> files_;
  std::set<std::string> folders_;
  std::int64_t creations_ = 0;
  int listings_ = 0;
  // Every write gets a new modification time.
  std::int64_t writes_ = 0;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_FILE_SYSTEM_H_
