#include "platform/qt/qt_transport_ports.h"

namespace tolvane {
namespace {

template <class Port>
Port& Held(std::map<std::string, std::unique_ptr<Port>, std::less<>>& ports,
           std::string_view access_typ) {
  auto found = ports.find(access_typ);
  if (found == ports.end()) {
    found = ports.emplace(std::string(access_typ), std::make_unique<Port>()).first;
  }
  return *found->second;
}

}  // namespace

SerialPort& QtTransportPorts::SerialPortFor(std::string_view access_typ) {
  return Held(serial_ports_, access_typ);
}

TcpConnection& QtTransportPorts::TcpConnectionFor(std::string_view access_typ) {
  return Held(connections_, access_typ);
}

}  // namespace tolvane
