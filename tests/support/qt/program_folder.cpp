#include "support/qt/program_folder.h"

namespace tolvane::testing {

namespace fs = std::filesystem;

ProgramFolder::ProgramFolder() {
  const fs::path built = TOLVANE_BIN_DIR;
  fs::copy_file(built / "tolvane", Program());
  fs::copy_file(built / "teledata.mdb", path() / "teledata.mdb");
}

QProcessEnvironment ProgramFolder::OffscreenEnvironment() const {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("XDG_DATA_HOME", QString::fromStdString((path() / "data").string()));
  return environment;
}

}  // namespace tolvane::testing
