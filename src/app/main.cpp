#include <QApplication>
#include <string>

#include "core/program.h"
#include "core/settings_file.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_help_viewer.h"
#include "platform/qt/qt_http_client.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/sqlite_phone_book_store.h"
#include "platform/text_codec.h"
#include "ui/main_window_widget.h"
#include "ui/qt_main_window_host.h"

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

  QtEventLoop loop;
  QtSerialPort serial_port;
  QtHttpClient http_client;
  QtDialogs dialogs;
  QtClipboard clipboard;
  QtHelpViewer help_viewer;
  SqlitePhoneBookStore store;
  MainWindowWidget widget;
  QtMainWindowHost host(widget, dialogs, clipboard);
  Program program({loop, serial_port, http_client, dialogs, clipboard, help_viewer}, store, host);
  host.SetPresenter(&program.Window());
  host.SetSettings(&program.Settings());

  const std::string folder =
      ProgramFolderOf(QCoreApplication::applicationFilePath().toLocal8Bit().toStdString());
  if (!program.Startup(folder, CommandLineText(argc, argv))) return kExitFailed;

  widget.Bind(&program.Window());
  widget.SetOnClose([&] {
    program.Shutdown(widget.CurrentPlacement());
    QCoreApplication::quit();
  });
  widget.ShowPlaced();
  int status = app.exec();
  return program.CommandLineMode() ? program.ExitStatus() : status;
}
