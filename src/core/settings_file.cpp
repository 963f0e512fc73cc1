#include "core/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/ini_file.h"

namespace tolvane {

SettingsFile::SettingsFile(std::string program_folder)
    : program_folder_(std::move(program_folder)) {}

std::string SettingsFile::ReadSetting(const std::string& section, const std::string& key,
                                      const std::string& default_value) const {
  return IniFile::ReadString(Path(), section, key, default_value);
}

bool SettingsFile::WriteSetting(const std::string& section, const std::string& key,
                                const std::string& value) const {
  return IniFile::WriteString(Path(), section, key, value);
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
