#include "sim/sim_file_system.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace tolvane::sim {
namespace {

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

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

bool SimFileSystem::Create(const std::string& path) {
  files_.erase(path);
  Write(path, "");
  return true;
}

bool SimFileSystem::Append(const std::string& path, const std::string& data) {
  File& file = Open(path);
  file.content += data;
  file.modified = ++writes_;
  return true;
}

bool SimFileSystem::Truncate(const std::string& path, std::uintmax_t size) {
  auto it = files_.find(path);
  if (it == files_.end()) return false;
  if (size < it->second.content.size()) it->second.content.resize(size);
  it->second.modified = ++writes_;
  return true;
}

bool SimFileSystem::Rename(const std::string& from, const std::string& to) {
  auto it = files_.find(from);
  if (it == files_.end()) return false;
  File file = std::move(it->second);
  files_.erase(it);
  files_[to] = std::move(file);
  return true;
}

void SimFileSystem::FailReads(const std::string& path, int error) { Open(path).read_error = error; }

void SimFileSystem::DuringNextRead(const std::string& path, std::function<void()> action) {
  Open(path).during_read = std::move(action);
}

int SimFileSystem::ReadCount(const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? 0 : it->second.reads;
}

std::vector<std::string> SimFileSystem::List(const std::string& folder) {
  ++listings_;
  std::string prefix = folder;
  if (prefix.empty() || prefix.back() != '/') prefix += '/';
  // Each entry with the creation of its first file.
  std::map<std::string, std::int64_t> entries;
  for (const auto& [path, file] : files_) {
    if (path.compare(0, prefix.size(), prefix) != 0) continue;
    // A file of a subfolder shows the subfolder.
    std::string name = path.substr(prefix.size(), path.find('/', prefix.size()) - prefix.size());
    auto [it, added] = entries.try_emplace(name, file.created);
    it->second = std::min(it->second, file.created);
  }
  // In the order the entries were created, as a real listing may well be.
  std::vector<std::pair<std::int64_t, std::string>> by_creation;
  for (const auto& [name, created] : entries) by_creation.emplace_back(created, name);
  std::sort(by_creation.begin(), by_creation.end());
  std::vector<std::string> names;
  for (auto& [created, name] : by_creation) names.push_back(std::move(name));
  return names;
}

std::optional<FileStamp> SimFileSystem::Stamp(const std::string& path) {
  auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return FileStamp{it->second.content.size(), it->second.modified};
}

void SimFileSystem::MakeFolder(const std::string& path) {
  folders_.insert(WithoutTrailingSlash(path));
}

bool SimFileSystem::IsFolder(const std::string& path) {
  const std::string folder = WithoutTrailingSlash(path);
  if (folders_.count(folder) > 0) return true;
  const std::string prefix = folder + '/';
  auto it = files_.lower_bound(prefix);
  return it != files_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
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

}  // namespace tolvane::sim
