#ifndef TOLVANE_PLATFORM_QT_QT_FILE_CHOOSER_H_
#define TOLVANE_PLATFORM_QT_QT_FILE_CHOOSER_H_

#include <QString>

#include "platform/file_chooser.h"

namespace tolvane {

// QFileDialog over the active window. It opens in the home folder first and
// then where the last file was chosen.
class QtFileChooser : public FileChooser {
 public:
  std::optional<std::string> ChooseFileToOpen(const std::string& title,
                                              const std::vector<FileKind>& kinds) override;
  std::optional<ChosenFile> ChooseFileToSave(const std::string& title,
                                             const std::vector<FileKind>& kinds) override;

 private:
  QString folder_;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_FILE_CHOOSER_H_
