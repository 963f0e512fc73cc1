#ifndef TOLVANE_PLATFORM_QT_QT_SERIAL_PORT_LIST_H_
#define TOLVANE_PLATFORM_QT_QT_SERIAL_PORT_LIST_H_

#include <vector>

#include "platform/serial_port_list.h"

namespace tolvane {

// The machine's serial ports as QSerialPortInfo finds them.
class QtSerialPortList : public SerialPortList {
 public:
  std::vector<SerialPortInfo> AvailablePorts() const override;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_SERIAL_PORT_LIST_H_
