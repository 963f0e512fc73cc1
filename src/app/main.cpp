#include <QApplication>
#include <string>

#include "app/qt_program.h"
#include "core/settings_file.h"
#include "platform/text_codec.h"

namespace {

// The arguments after the program name, as one text.
std::string CommandLineText(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return tolvane::Utf8ToCp1252(QString::fromLocal8Bit(text.c_str()).toStdString());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  using namespace tolvane;

  QtProgram program;
  const std::string folder =
      ProgramFolderOf(QCoreApplication::applicationFilePath().toLocal8Bit().toStdString());
  if (!program.Start(folder, CommandLineText(argc, argv))) return kExitFailed;
  return program.ExitStatus(app.exec());
}
