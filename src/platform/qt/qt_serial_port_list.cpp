#include "platform/qt/qt_serial_port_list.h"

#include <QSerialPortInfo>

#include "platform/qt/qt_text.h"

namespace tolvane {

std::vector<SerialPortInfo> QtSerialPortList::AvailablePorts() const {
  std::vector<SerialPortInfo> ports;
  for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
    // Many USB adapters describe themselves only by their maker.
    const QString description =
        port.description().isEmpty() ? port.manufacturer() : port.description();
    ports.push_back({FromQString(port.systemLocation()), FromQString(description)});
  }
  return ports;
}

}  // namespace tolvane
