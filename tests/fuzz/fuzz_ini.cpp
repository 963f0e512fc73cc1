// The settings file as anything may have left it: reading never fails, the
// loader takes whatever values stand there, and writing a key changes that
// key so that it reads back, while every other key reads as before.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <string>

#include "core/program_settings.h"
#include "core/settings_file.h"
#include "core/settings_loader.h"
#include "fuzz_check.h"
#include "platform/ini_file.h"
#include "platform/local_file_system.h"
#include "support/temp_dir.h"

namespace {

using tolvane::IniFile;

// Power loss is not what this target looks for: writes skip the sync, which
// would slow every run down to the disk's pace.
class UnsyncedFileSystem : public tolvane::LocalFileSystem {
 public:
  bool Flush(const std::string&) override { return true; }
  bool FlushFolder(const std::string&) override { return true; }
};

struct Name {
  const char* section;
  const char* key;
  int key_id;
};
// Names the program uses; some name one key in other letter case, which must
// count as the same.
constexpr std::array<Name, 8> kNames = {{{"Modem", "Port", 0},
                                         {"modem", "PORT", 0},
                                         {"Modem", "Logg", 1},
                                         {"TCP", "TCPGateway", 2},
                                         {"Auto", "AutoFilSep", 3},
                                         {"Access", "AccessTyp", 4},
                                         {"Mail", "Tid1", 5},
                                         {"New", "Key", 6}}};

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

int tolvane::FuzzOne(const uint8_t* data, size_t size) {
  static tolvane::testing::TempDir folder;
  static UnsyncedFileSystem files;
  tolvane::SetProgramFileSystem(&files);
  FuzzedDataProvider input(data, size);
  const Name& name = kNames[input.ConsumeIntegralInRange<size_t>(0, kNames.size() - 1)];
  const std::string value = input.ConsumeRandomLengthString(200);
  folder.WriteFile(tolvane::SettingsFile::kFileName, input.ConsumeRemainingBytesAsString());

  const tolvane::SettingsFile file(folder.Folder());
  tolvane::ProgramSettings settings;
  settings.ProgramFolder = folder.Folder();
  tolvane::LoadWindowPosition(file, settings);
  tolvane::LoadSettings(file, settings, [](int) {});

  const std::string path = file.Path();
  std::array<std::string, kNames.size()> before;
  for (size_t i = 0; i < kNames.size(); ++i) {
    before[i] = IniFile::ReadString(path, kNames[i].section, kNames[i].key, "\x01");
    FUZZ_CHECK(before[i].size() <= IniFile::kMaxValueLength);
  }
  const bool written = IniFile::WriteString(path, name.section, name.key, value);
  FUZZ_CHECK(written == (value.find_first_of("\r\n") == std::string::npos));
  if (!written) return 0;
  for (size_t i = 0; i < kNames.size(); ++i) {
    const std::string after = IniFile::ReadString(path, kNames[i].section, kNames[i].key, "\x01");
    if (kNames[i].key_id == name.key_id) {
      FUZZ_CHECK(after == Trimmed(value).substr(0, IniFile::kMaxValueLength));
    } else {
      FUZZ_CHECK(after == before[i]);
    }
  }
  return 0;
}
