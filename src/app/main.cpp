#include <QApplication>
#include <QIcon>
#include <QStandardPaths>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "api/new_api_token.h"
#include "app/qt_program.h"
#include "contacts/contacts_command.h"
#include "core/display_environment.h"
#include "core/program.h"
#include "core/program_location.h"
#include "core/program_options.h"
#include "core/store_secret_command.h"
#include "transports/transport_list.h"

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

// `--serve`: no window ever opens, so no display is needed; message boxes go
// to standard error, as on the offscreen platform they do.
int Serve(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  tolvane::QtProgram program(true);
  const tolvane::ProgramLocation location = ChooseLocation();
  location.Prepare();
  if (!program.Serve(location)) return tolvane::kExitFailed;
  return program.ExitStatus(app.exec());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tolvane;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  switch (ReadProgramCommand(arguments)) {
    case ProgramCommand::kHelp:
      std::cout << ProgramUsage(ProgramTransports());
      return kExitAccepted;
    case ProgramCommand::kUnknownOption:
      std::cerr << "tolvane: unknown option " << arguments.front() << "\n"
                << ProgramUsage(ProgramTransports());
      return kExitBadOrder;
    case ProgramCommand::kStoreSecret: {
      // Storing a secret opens no window, so it needs no display.
      QCoreApplication app(argc, argv);
      return StoreSecret({arguments.begin() + 1, arguments.end()}, std::cin, std::cerr,
                         ChooseLocation(), ProgramTransports());
    }
    case ProgramCommand::kNewApiToken: {
      QCoreApplication app(argc, argv);
      return StoreNewApiToken(std::cout, std::cerr, ChooseLocation()) ? kExitAccepted : kExitFailed;
    }
    case ProgramCommand::kServe:
      return Serve(argc, argv);
    case ProgramCommand::kContacts: {
      // Works on the phone book file alone: no window, no display.
      QCoreApplication app(argc, argv);
      const ProgramLocation location = ChooseLocation();
      location.Prepare();
      return RunContactsCommand(arguments, location.Folder() + ProgramLocation::kPhoneBookFile,
                                std::cout, std::cerr);
    }
    case ProgramCommand::kRun:
    case ProgramCommand::kResume:
      // The program itself tells `--resume` from an order.
      break;
  }
  // A display that is not named or cannot be opened (a script over ssh, cron)
  // would make Qt abort; the program then runs without windows, its message
  // boxes on standard error.
  const std::string platforms = QtPlatformChoice(std::getenv);
  if (!platforms.empty()) qputenv("QT_QPA_PLATFORM", platforms.c_str());
  QApplication app(argc, argv);
  // The installed desktop entry and icon theme name the program "tolvane".
  QGuiApplication::setDesktopFileName(QStringLiteral("tolvane"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tolvane")));

  QtProgram program;
  const ProgramLocation location = ChooseLocation();
  location.Prepare();
  if (!program.Start(location, CommandLineText(argc, argv))) return kExitFailed;
  return program.ExitStatus(app.exec());
}
