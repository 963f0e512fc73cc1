#include "platform/local_file_system.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <system_error>

namespace tolvane {

namespace fs = std::filesystem;

std::vector<std::string> LocalFileSystem::ListFiles(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(fs::path(folder), error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    std::error_code kind_error;
    if (it->is_regular_file(kind_error)) names.push_back(it->path().filename().string());
  }
  return names;
}

std::optional<FileStamp> LocalFileSystem::Stamp(const std::string& path) {
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  if (error || !fs::is_regular_file(status)) return std::nullopt;
  FileStamp stamp;
  stamp.size = fs::file_size(path, error);
  if (error) return std::nullopt;
  auto modified = fs::last_write_time(path, error);
  if (error) return std::nullopt;
  stamp.modified = modified.time_since_epoch().count();
  return stamp;
}

int LocalFileSystem::ReadFile(const std::string& path, std::string& content) {
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) return errno != 0 ? errno : EIO;
  std::string read((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return errno != 0 ? errno : EIO;
  content = std::move(read);
  return 0;
}

bool LocalFileSystem::RemoveFile(const std::string& path) { return ForceRemoveFile(path); }

bool ForceRemoveFile(const std::string& path) {
  std::error_code ignored;
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ignored);
  fs::remove(path, ignored);
  return !fs::exists(fs::symlink_status(path, ignored));
}

}  // namespace tolvane
