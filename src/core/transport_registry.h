#ifndef TOLVANE_CORE_TRANSPORT_REGISTRY_H_
#define TOLVANE_CORE_TRANSPORT_REGISTRY_H_

#include <memory>
#include <string>
#include <vector>

#include "core/redial_countdown.h"
#include "core/send_context.h"
#include "core/transport.h"
#include "platform/file_system.h"
#include "platform/http_client.h"
#include "platform/serial_port.h"
#include "platform/tcp_connection.h"

namespace tolvane {

// What a transport may be built on.
struct TransportServices {
  SendContext& context;
  SerialPort& serial_port;
  SerialPort& gsm_port;
  HttpClient& http_client;
  TcpConnection& smpp_connection;
  TcpConnection& emi_connection;
  FileSystem& files;
  RedialCountdown& redial;
};

struct RegisteredTransport {
  // The `AccessTyp` value that chooses it.
  std::string access_typ;
  std::unique_ptr<Transport> transport;
};

// Every transport the program knows, in the order of the registration list;
// the first is used for an `AccessTyp` no other claims.
std::vector<RegisteredTransport> MakeTransports(const TransportServices& services);

}  // namespace tolvane

#endif  // TOLVANE_CORE_TRANSPORT_REGISTRY_H_
