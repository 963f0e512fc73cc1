#ifndef TOLVANE_PLATFORM_QT_QT_TRANSPORT_PORTS_H_
#define TOLVANE_PLATFORM_QT_QT_TRANSPORT_PORTS_H_

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "core/transport_ports.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_tcp_connection.h"

namespace tolvane {

// A serial port and a TCP connection of their own for each transport that
// asks, made on its first request.
class QtTransportPorts : public TransportPorts {
 public:
  SerialPort& SerialPortFor(std::string_view access_typ) override;
  TcpConnection& TcpConnectionFor(std::string_view access_typ) override;

 private:
  std::map<std::string, std::unique_ptr<QtSerialPort>, std::less<>> serial_ports_;
  std::map<std::string, std::unique_ptr<QtTcpConnection>, std::less<>> connections_;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_TRANSPORT_PORTS_H_
