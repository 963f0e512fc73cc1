#include "core/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/ini_file.h"
#include "platform/text_codec.h"

namespace tolvane {

SettingsFile::SettingsFile(std::string program_folder)
    : program_folder_(std::move(program_folder)) {}

std::string SettingsFile::ReadSetting(const std::string& section, const std::string& key,
                                      const std::string& default_value) const {
  return Cp1252WithReferencesToUtf8(IniFile::ReadString(
      Path(), Utf8ToCp1252(section), Utf8ToCp1252(key), Utf8ToCp1252WithReferences(default_value)));
}

bool SettingsFile::WriteSetting(const std::string& section, const std::string& key,
                                const std::string& value) const {
  return WriteBytes(section, key, Utf8ToCp1252WithReferences(value));
}

std::string SettingsFile::ReadBytes(const std::string& section, const std::string& key) const {
  return IniFile::ReadString(Path(), Utf8ToCp1252(section), Utf8ToCp1252(key), "");
}

bool SettingsFile::WriteBytes(const std::string& section, const std::string& key,
                              const std::string& bytes) const {
  return IniFile::WriteString(Path(), Utf8ToCp1252(section), Utf8ToCp1252(key), bytes);
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
