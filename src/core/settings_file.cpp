#include "core/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/text_codec.h"
#include "text/utf8.h"

namespace tolvane {

SettingsFile::SettingsFile(std::string program_folder)
    : program_folder_(std::move(program_folder)) {}

std::string SettingsFile::ReadSetting(const std::string& section, const std::string& key,
                                      const std::string& default_value) const {
  return Cp1252WithReferencesToUtf8(IniFile::ReadString(
      Path(), Utf8ToCp1252(section), Utf8ToCp1252(key), Utf8ToCp1252WithReferences(default_value)));
}

std::string SettingsFile::StoredText(const std::string& value) {
  std::string stored;
  for (char c : Utf8ToCp1252WithReferences(value)) {
    // A line break would end the value and start another key.
    if (c == '\r' || c == '\n') {
      stored += "&#" + std::to_string(static_cast<int>(c)) + ";";
    } else {
      stored += c;
    }
  }
  return stored;
}

bool SettingsFile::WriteAll(const std::vector<IniFile::Entry>& entries) const {
  std::vector<IniFile::Entry> names_in_code_page = entries;
  for (IniFile::Entry& entry : names_in_code_page) {
    entry.section = Utf8ToCp1252(entry.section);
    entry.key = Utf8ToCp1252(entry.key);
  }
  return IniFile::WriteStrings(Path(), names_in_code_page);
}

bool SettingsFile::WriteSetting(const std::string& section, const std::string& key,
                                const std::string& value) const {
  return WriteBytes(section, key, StoredText(value));
}

std::string SettingsFile::ReadBytes(const std::string& section, const std::string& key) const {
  return IniFile::ReadString(Path(), Utf8ToCp1252(section), Utf8ToCp1252(key), "");
}

bool SettingsFile::WriteBytes(const std::string& section, const std::string& key,
                              const std::string& bytes) const {
  return IniFile::WriteString(Path(), Utf8ToCp1252(section), Utf8ToCp1252(key), bytes);
}

std::optional<std::string> OverlongSettingText(const std::string& caption, const std::string& value,
                                               const std::string& stored) {
  if (stored.size() <= IniFile::kMaxValueLength) return std::nullopt;
  std::string name = caption;
  while (!name.empty() && name.back() == ':') name.pop_back();
  std::string text = "\"" + name + "\" is too long: the settings file keeps at most " +
                     std::to_string(IniFile::kMaxValueLength) + " characters.";
  if (Utf8Length(value) != stored.size()) {
    text += " A character outside Windows-1252 takes several of them.";
  }
  return text;
}

bool FileExists(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  const bool is_file = fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
  close(fd);
  return is_file;
}

std::string ProgramFolderOf(const std::string& executable_path) {
  const size_t last_separator = executable_path.find_last_of("/\\");
  if (last_separator == std::string::npos) return {};
  return executable_path.substr(0, last_separator + 1);
}

}  // namespace tolvane
