#ifndef TOLVANE_CORE_SETTINGS_FILE_H_
#define TOLVANE_CORE_SETTINGS_FILE_H_

#include <optional>
#include <string>
#include <vector>

#include "platform/ini_file.h"

namespace tolvane {

// The program's settings file, tolvmsg.ini in the program's folder.
class SettingsFile {
 public:
  static constexpr const char* kFileName = "tolvmsg.ini";

  // `program_folder` ends with a separator (see ProgramFolderOf).
  explicit SettingsFile(std::string program_folder);

  const std::string& ProgramFolder() const { return program_folder_; }
  std::string Path() const { return program_folder_ + kFileName; }

  // The key's value as UTF-8, or the default when the file or the key is
  // missing. The file stays Windows-1252 for the programs that share it: a
  // character it cannot hold is written as a numeric reference "&#N;".
  std::string ReadSetting(const std::string& section, const std::string& key,
                          const std::string& default_value) const;
  // The bytes a text value takes in the file: Windows-1252, with "&#N;" for
  // a character the code page lacks and for a line break.
  static std::string StoredText(const std::string& value);
  // Writes every entry (section, key, the stored bytes) with one replacement
  // of the file: all of them or, when that fails, none.
  bool WriteAll(const std::vector<IniFile::Entry>& entries) const;
  // Creates the file, section or key as needed; false when it cannot.
  bool WriteSetting(const std::string& section, const std::string& key,
                    const std::string& value) const;
  // The value's bytes as the file holds them (at most 127), for values that
  // are not text, such as a shifted password.
  std::string ReadBytes(const std::string& section, const std::string& key) const;
  bool WriteBytes(const std::string& section, const std::string& key,
                  const std::string& bytes) const;

 private:
  std::string program_folder_;
};

// The message refusing the value of the box captioned `caption` when its
// stored form is longer than the file keeps (IniFile::kMaxValueLength);
// nullopt when it fits.
std::optional<std::string> OverlongSettingText(const std::string& caption, const std::string& value,
                                               const std::string& stored);

// True when `path` is a file that can be opened for reading.
bool FileExists(const std::string& path);

// The folder of the executable with its trailing separator ("/" or "\"). A
// root folder ("/", "C:\") keeps its single separator; a bare file name gives
// an empty text (the working folder).
std::string ProgramFolderOf(const std::string& executable_path);

}  // namespace tolvane

#endif  // TOLVANE_CORE_SETTINGS_FILE_H_
