#include "platform/file_system.h"

#include <algorithm>

namespace tolvane {
namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualAnyCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

}  // namespace

std::optional<std::string> FileSystem::Read(const std::string& path) {
  std::string content;
  if (ReadFile(path, content) != 0) return std::nullopt;
  return content;
}

std::optional<std::string> FindAnyCase(FileSystem& files, const std::string& folder,
                                       const std::string& name) {
  std::vector<std::string> entries = files.List(folder);
  std::sort(entries.begin(), entries.end());
  if (std::binary_search(entries.begin(), entries.end(), name)) return folder + name;
  for (const std::string& entry : entries) {
    if (EqualAnyCase(entry, name)) return folder + entry;
  }
  return std::nullopt;
}

}  // namespace tolvane
