#ifndef TOLVANE_TESTS_SUPPORT_FAKE_FILE_CHOOSER_H_
#define TOLVANE_TESTS_SUPPORT_FAKE_FILE_CHOOSER_H_

#include <optional>
#include <string>
#include <vector>

#include "platform/file_chooser.h"

namespace tolvane::testing {

// Answers the file dialogs with the files set beforehand (nothing: the user
// cancels) and keeps the kinds each one offered.
class FakeFileChooser : public FileChooser {
 public:
  std::optional<std::string> ChooseFileToOpen(const std::string&,
                                              const std::vector<FileKind>& kinds) override {
    offered_ = kinds;
    return to_open_;
  }
  std::optional<ChosenFile> ChooseFileToSave(const std::string&,
                                             const std::vector<FileKind>& kinds) override {
    offered_ = kinds;
    return to_save_;
  }

  void SetFileToOpen(std::optional<std::string> path) { to_open_ = std::move(path); }
  void SetFileToSave(std::optional<ChosenFile> file) { to_save_ = std::move(file); }
  // The descriptions of the kinds the last dialog offered.
  std::vector<std::string> Offered() const {
    std::vector<std::string> descriptions;
    for (const FileKind& kind : offered_) descriptions.push_back(kind.description);
    return descriptions;
  }

 private:
  std::optional<std::string> to_open_;
  std::optional<ChosenFile> to_save_;
  std::vector<FileKind> offered_;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_FAKE_FILE_CHOOSER_H_
