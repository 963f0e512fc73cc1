#include <QApplication>
#include <QIcon>
#include <QStandardPaths>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/qt_program.h"
#include "core/display_environment.h"
#include "core/program_location.h"
#include "core/store_secret_command.h"

namespace {

// The arguments after the program name, as one text, their bytes as given.
std::string CommandLineText(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  // UTF-8, or Windows-1252 from an older caller; the program tells them apart.
  return text;
}

// ~/.local/share/Tolvane/ on Linux; empty without a home folder.
std::string UserDataFolder() {
  QString shared = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (shared.isEmpty()) return {};
  return (shared + QStringLiteral("/Tolvane/")).toLocal8Bit().toStdString();
}

// The program folder of this run. Needs a QCoreApplication.
tolvane::ProgramLocation ChooseLocation() {
  return tolvane::ProgramLocation::Choose(
      QCoreApplication::applicationFilePath().toLocal8Bit().toStdString(), TOLVANE_INSTALLED_DATA,
      UserDataFolder());
}

}  // namespace

int main(int argc, char** argv) {
  // Storing a secret opens no window, so it needs no display.
  if (argc > 1 && argv[1] == tolvane::kStoreSecretOption) {
    const std::vector<std::string> arguments(argv + 2, argv + argc);
    QCoreApplication app(argc, argv);
    return tolvane::StoreSecret(arguments, std::cin, std::cerr, ChooseLocation());
  }
  // Without a display (a script over ssh, cron) Qt would abort; the program
  // then runs without windows, its message boxes on standard error.
  if (tolvane::RunsWithoutDisplay(std::getenv)) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The installed desktop entry and icon theme name the program "tolvane".
  QGuiApplication::setDesktopFileName(QStringLiteral("tolvane"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tolvane")));
  using namespace tolvane;

  QtProgram program;
  const ProgramLocation location = ChooseLocation();
  location.Prepare();
  if (!program.Start(location, CommandLineText(argc, argv))) return kExitFailed;
  return program.ExitStatus(app.exec());
}
