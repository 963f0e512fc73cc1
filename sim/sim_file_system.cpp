#include "sim/sim_file_system.h"

#include <cerrno>
#include <utility>

namespace tolvane::sim {

SimFileSystem::File& SimFileSystem::Open(const std::string& path) {
  auto [it, created] = files_.try_emplace(path);
  if (created) it->second.created = ++creations_;
  return it->second;
}

void SimFileSystem::Write(const std::string& path, const std::string& content) {
  File& file = Open(path);
  file.content = content;
  file.modified = ++writes_;
}

void SimFileSystem::Append(const std::string& path, const std::string& text) {
  File& file = Open(path);
  file.content += text;
  file.modified = ++writes_;
}

void SimFileSystem::Remove(const std::string& path) { files_.erase(path); }

void SimFileSystem::FailReads(const std::string& path, int error) { Open(path).read_error = error; }

void SimFileSystem::DuringNextRead(const std::string& path, std::function<void()> action) {
  Open(path).during_read = std::move(action);
}

int SimFileSystem::ReadCount(const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? 0 : it->second.reads;
}

std::vector<std::string> SimFileSystem::ListFiles(const std::string& folder) {
  ++listings_;
  std::string prefix = folder;
  if (prefix.empty() || prefix.back() != '/') prefix += '/';
  // In the order the files were created, as a real listing may well be.
  std::map<std::int64_t, std::string> by_creation;
  for (const auto& [path, file] : files_) {
    if (path.compare(0, prefix.size(), prefix) != 0) continue;
    std::string name = path.substr(prefix.size());
    // Files of subfolders are not files of this folder.
    if (!name.empty() && name.find('/') == std::string::npos) by_creation[file.created] = name;
  }
  std::vector<std::string> names;
  for (auto& [created, name] : by_creation) names.push_back(std::move(name));
  return names;
}

std::optional<FileStamp> SimFileSystem::Stamp(const std::string& path) {
  auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return FileStamp{it->second.content.size(), it->second.modified};
}

int SimFileSystem::ReadFile(const std::string& path, std::string& content) {
  auto it = files_.find(path);
  if (it == files_.end()) return ENOENT;
  File& file = it->second;
  ++file.reads;
  if (file.read_error != 0) return file.read_error;
  content = file.content;
  if (auto action = std::exchange(file.during_read, nullptr)) action();
  return 0;
}

bool SimFileSystem::RemoveFile(const std::string& path) { return files_.erase(path) > 0; }

}  // namespace tolvane::sim
