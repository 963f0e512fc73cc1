#ifndef TOLVANE_TESTS_SUPPORT_FAKE_FILE_CHOOSER_H_
#define TOLVANE_TESTS_SUPPORT_FAKE_FILE_CHOOSER_H_

#include <optional>
#include <string>
#include <vector>

#include "platform/file_chooser.h"

namespace tolvane::testing {

// Answers the file dialogs with the files set beforehand (nothing: the user
// cancels) and keeps the kinds the last save dialog offered.
class FakeFileChooser : public FileChooser {
 public:
  std::optional<std::string> ChooseFileToOpen(const std::string&,
                                              const std::vector<FileKind>&) override {
    return to_open;
  }
  std::optional<ChosenFile> ChooseFileToSave(const std::string&,
                                             const std::vector<FileKind>& kinds) override {
    offered = kinds;
    return to_save;
  }

  std::optional<std::string> to_open;
  std::optional<ChosenFile> to_save;
  std::vector<FileKind> offered;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_FAKE_FILE_CHOOSER_H_
