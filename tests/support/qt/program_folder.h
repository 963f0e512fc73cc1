#ifndef TOLVANE_TESTS_SUPPORT_QT_PROGRAM_FOLDER_H_
#define TOLVANE_TESTS_SUPPORT_QT_PROGRAM_FOLDER_H_

#include <QProcessEnvironment>
#include <filesystem>

#include "support/temp_dir.h"

namespace tolvane::testing {

// A fresh folder holding a copy of the built program and its empty phone
// book, so that the program keeps its data files beside itself there.
class ProgramFolder : public TempDir {
 public:
  ProgramFolder() {
    const std::filesystem::path built = TOLVANE_BIN_DIR;
    std::filesystem::copy_file(built / "tolvane", Program());
    std::filesystem::copy_file(built / "teledata.mdb", path() / "teledata.mdb");
  }

  std::filesystem::path Program() const { return path() / "tolvane"; }
  // For a run without a display whose per-user data stays in the folder.
  QProcessEnvironment OffscreenEnvironment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_DATA_HOME", QString::fromStdString((path() / "data").string()));
    return environment;
  }
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_PROGRAM_FOLDER_H_
