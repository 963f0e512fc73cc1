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
  ProgramFolder();

  std::filesystem::path Program() const { return path() / "tolvane"; }
  // This process's environment for a run without a display whose per-user
  // data stays inside the folder too.
  QProcessEnvironment OffscreenEnvironment() const;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_PROGRAM_FOLDER_H_
