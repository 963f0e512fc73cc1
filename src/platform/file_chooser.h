#ifndef TOLVANE_PLATFORM_FILE_CHOOSER_H_
#define TOLVANE_PLATFORM_FILE_CHOOSER_H_

#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// A kind of file offered in a file dialog: "CSV file" with its extensions
// ("csv"), the first being the one a saved file gets when it has none. No
// extensions means every file.
struct FileKind {
  std::string description;
  std::vector<std::string> extensions;
};

// A file chosen to be written, and the kind the user chose for it.
struct ChosenFile {
  std::string path;
  int kind = 0;
  bool operator==(const ChosenFile&) const = default;
};

// The desktop's file dialogs, modal over the active window. Paths are UTF-8;
// nothing comes back when the user cancels.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  virtual std::optional<std::string> ChooseFileToOpen(const std::string& title,
                                                      const std::vector<FileKind>& kinds) = 0;
  // Asks before a file is overwritten; a name typed without an extension gets
  // the chosen kind's.
  virtual std::optional<ChosenFile> ChooseFileToSave(const std::string& title,
                                                     const std::vector<FileKind>& kinds) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_FILE_CHOOSER_H_
