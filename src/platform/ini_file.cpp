#include "platform/ini_file.h"

// Values are Windows-1252 bytes: the library must pass them through unchanged.
// This is the one place that uses the library, so its code is compiled here.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <cerrno>

#include "platform/atomic_file.h"

namespace tolvane {
namespace {

// Loads the file in 8-bit mode with case-insensitive names. A missing file
// leaves `ini` empty and counts as success.
bool Load(const std::string& path, CSimpleIniA& ini) {
  ini.SetUnicode(false);
  ini.SetMultiKey(false);
  ini.SetMultiLine(false);
  ini.SetSpaces(false);
  errno = 0;
  SI_Error result = ini.LoadFile(path.c_str());
  return result >= 0 || (result == SI_FILE && errno == ENOENT);
}

}  // namespace

std::string IniFile::ReadString(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& default_value) {
  CSimpleIniA ini;
  const char* value = nullptr;
  if (Load(path, ini)) value = ini.GetValue(section.c_str(), key.c_str(), nullptr);
  std::string result = value != nullptr ? value : default_value;
  if (result.size() > kMaxValueLength) result.resize(kMaxValueLength);
  return result;
}

bool IniFile::WriteString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value) {
  if (value.find_first_of("\r\n") != std::string::npos) return false;
  CSimpleIniA ini;
  if (!Load(path, ini)) return false;
  if (ini.SetValue(section.c_str(), key.c_str(), value.c_str()) < 0) return false;
  std::string content;
  if (ini.Save(content) < 0) return false;
  return WriteFileAtomically(path, content);
}

}  // namespace tolvane
