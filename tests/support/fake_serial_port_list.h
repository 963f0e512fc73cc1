#ifndef TOLVANE_TESTS_SUPPORT_FAKE_SERIAL_PORT_LIST_H_
#define TOLVANE_TESTS_SUPPORT_FAKE_SERIAL_PORT_LIST_H_

#include <utility>
#include <vector>

#include "platform/serial_port_list.h"

namespace tolvane::testing {

// The serial ports a test says the machine has.
class FakeSerialPortList : public SerialPortList {
 public:
  explicit FakeSerialPortList(std::vector<SerialPortInfo> ports = {}) : ports_(std::move(ports)) {}
  std::vector<SerialPortInfo> AvailablePorts() const override { return ports_; }

 private:
  std::vector<SerialPortInfo> ports_;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_FAKE_SERIAL_PORT_LIST_H_
