#ifndef TOLVANE_TOOLS_GATEWAY_SIM_GATEWAY_SERVER_H_
#define TOLVANE_TOOLS_GATEWAY_SIM_GATEWAY_SERVER_H_

#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <memory>
#include <optional>

#include "sim/sim_gateway.h"

namespace tolvane::sim {

// Serves the simulated gateway over TCP: one request per connection, answered
// (or not) as the gateway decides. A request line with an absolute address,
// as a client sends to a proxy, is served the same.
class GatewayServer {
 public:
  using RequestLogger = std::function<void(const GatewayRequest&, const GatewayReply&)>;

  // With `tls`, the server speaks https only.
  GatewayServer(SimGateway& gateway, RequestLogger logger,
                const std::optional<QSslConfiguration>& tls = std::nullopt);
  bool Listen(quint16 port);
  quint16 Port() const { return server_->serverPort(); }
  QString ErrorText() const { return server_->errorString(); }

 private:
  void Accept(QTcpSocket* socket);
  void Answer(QTcpSocket* socket, const HttpRequest& request);

  SimGateway& gateway_;
  RequestLogger logger_;
  std::unique_ptr<QTcpServer> server_;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_TOOLS_GATEWAY_SIM_GATEWAY_SERVER_H_
