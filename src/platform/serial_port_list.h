#ifndef TOLVANE_PLATFORM_SERIAL_PORT_LIST_H_
#define TOLVANE_PLATFORM_SERIAL_PORT_LIST_H_

#include <string>
#include <vector>

namespace tolvane {

struct SerialPortInfo {
  std::string path;         // what a serial port opens: "/dev/ttyUSB2", "COM5"
  std::string description;  // what the system calls the device; may be empty
  bool operator==(const SerialPortInfo&) const = default;
};

// The serial ports of this machine, for the settings dialog to offer.
class SerialPortList {
 public:
  virtual ~SerialPortList() = default;
  // In the system's order; empty when there are none or they cannot be listed.
  virtual std::vector<SerialPortInfo> AvailablePorts() const = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_SERIAL_PORT_LIST_H_
