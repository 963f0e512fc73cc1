#ifndef TOLVANE_PLATFORM_INI_FILE_H_
#define TOLVANE_PLATFORM_INI_FILE_H_

#include <string>
#include <vector>

namespace tolvane {

// Reads and writes single keys of an INI file the way the Windows
// private-profile routines do: section and key names ignore case, values are
// 8-bit text taken without the blanks around them, the first section and key
// of a name count, and a missing file or key gives the default. Lines starting
// with ";" or "#" are comments.
class IniFile {
 public:
  // Values longer than this are cut to it.
  static constexpr size_t kMaxValueLength = 127;

  static std::string ReadString(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& default_value);
  // Creates the file, the section or the key as needed. Only the key's value
  // changes: every other byte of the file (comments, unknown keys, blank
  // lines, line ends, the value's own leading blank) stays as it was. New
  // lines end as the file's first line does, CR LF in a new file. The file is
  // replaced atomically. Fails (false) when the file cannot be read or
  // written, or the value holds a line break (which would split it into a
  // different key).
  static bool WriteString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value);

  struct Entry {
    std::string section;
    std::string key;
    std::string value;
  };
  // Writes every entry, in order, as WriteString does, with one replacement
  // of the file: a reader finds all of them or none. Fails, writing nothing,
  // when any value holds a line break.
  static bool WriteStrings(const std::string& path, const std::vector<Entry>& entries);
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_INI_FILE_H_
