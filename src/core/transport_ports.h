#ifndef TOLVANE_CORE_TRANSPORT_PORTS_H_
#define TOLVANE_CORE_TRANSPORT_PORTS_H_

#include <string_view>

#include "platform/serial_port.h"
#include "platform/tcp_connection.h"

namespace tolvane {

// The peers a transport talks through, one of each kind per transport: a
// transport asks by its `AccessTyp` once, when it is made, and keeps what it
// got for the program's life.
class TransportPorts {
 public:
  virtual ~TransportPorts() = default;
  virtual SerialPort& SerialPortFor(std::string_view access_typ) = 0;
  virtual TcpConnection& TcpConnectionFor(std::string_view access_typ) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_TRANSPORT_PORTS_H_
