#include "app/qt_program.h"

#include <QCoreApplication>

#include "platform/local_file_system.h"
#include "transports/transport_list.h"

namespace tolvane {

QtProgram::QtProgram()
    : transports_(ProgramTransports()),
      host_(widget_, dialogs_, clipboard_),
      program_({loop_, transports_, ports_, http_client_, dialogs_, clipboard_, help_viewer_,
                LocalFileSystem::Instance(), mail_client_, dialler_},
               store_, host_) {
  host_.SetPresenter(&program_.Window());
  host_.SetSettings(&program_.Settings());
  host_.SetDialler(&dialler_);
  host_.SetSerialPortList(&serial_ports_);
}

bool QtProgram::Start(const ProgramLocation& location, const std::string& command_line) {
  if (!program_.Startup(location, command_line)) return false;
  widget_.Bind(&program_.Window());
  widget_.SetOnClose([this] {
    program_.Shutdown(widget_.CurrentPlacement());
    QCoreApplication::quit();
  });
  widget_.ShowPlaced();
  return true;
}

int QtProgram::ExitStatus(int loop_status) const {
  return program_.CommandLineMode() ? program_.ExitStatus() : loop_status;
}

}  // namespace tolvane
