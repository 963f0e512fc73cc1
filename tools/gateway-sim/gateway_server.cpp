#include "tools/gateway-sim/gateway_server.h"

#include <QSslServer>
#include <QTimer>
#include <memory>

#include "sim/http_request_parser.h"

namespace tolvane::sim {

GatewayServer::GatewayServer(SimGateway& gateway, RequestLogger logger,
                             const std::optional<QSslConfiguration>& tls)
    : gateway_(gateway), logger_(std::move(logger)) {
  if (tls) {
    auto server = std::make_unique<QSslServer>();
    server->setSslConfiguration(*tls);
    server_ = std::move(server);
  } else {
    server_ = std::make_unique<QTcpServer>();
  }
  QObject::connect(server_.get(), &QTcpServer::pendingConnectionAvailable, server_.get(), [this] {
    while (QTcpSocket* socket = server_->nextPendingConnection()) Accept(socket);
  });
}

bool GatewayServer::Listen(quint16 port) { return server_->listen(QHostAddress::LocalHost, port); }

void GatewayServer::Accept(QTcpSocket* socket) {
  auto parser = std::make_shared<HttpRequestParser>();
  QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, parser] {
    if (parser->Complete()) return;
    parser->Feed(socket->readAll().toStdString());
    if (parser->Failed()) {
      socket->write(QByteArray::fromStdString(FormatHttpResponse(400, "Bad Request", "")));
      socket->disconnectFromHost();
    } else if (parser->Complete()) {
      Answer(socket, parser->Request());
    }
  });
}

void GatewayServer::Answer(QTcpSocket* socket, const HttpRequest& request) {
  GatewayReply reply = gateway_.Handle(request);
  logger_(gateway_.Requests().back(), reply);
  switch (reply.kind) {
    case GatewayAnswer::Kind::kSilent:
      break;
    case GatewayAnswer::Kind::kClose:
      QTimer::singleShot(reply.delay_ms, socket, [socket] { socket->abort(); });
      break;
    case GatewayAnswer::Kind::kStatus:
      QTimer::singleShot(reply.delay_ms, socket, [socket, wire = reply.Wire()] {
        socket->write(QByteArray::fromStdString(wire));
        socket->disconnectFromHost();
      });
      break;
  }
}

}  // namespace tolvane::sim
