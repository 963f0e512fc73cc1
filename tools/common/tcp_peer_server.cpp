#include "tcp_peer_server.h"

#include <QHostAddress>
#include <iostream>

namespace tolvane::tools {

TcpPeerServer::TcpPeerServer(sim::TcpPeer& peer) : peer_(peer) {
  peer_.SetToClient([this](const std::string& bytes) {
    if (client_ == nullptr) return;
    client_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    client_->flush();
  });
  peer_.SetDropClient([this] {
    if (client_ == nullptr) return;
    // Closed after what was written has gone; the peer knows already.
    QTcpSocket* dropped = client_;
    client_ = nullptr;
    dropped->disconnectFromHost();
  });
  QObject::connect(&server_, &QTcpServer::pendingConnectionAvailable, &server_,
                   [this] { OnConnection(); });
}

void TcpPeerServer::OnConnection() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    if (client_ != nullptr) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!peer_.Accept()) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    client_ = socket;
    QObject::connect(socket, &QIODevice::readyRead, socket,
                     [this, socket] { peer_.FromClient(socket->readAll().toStdString()); });
    QObject::connect(socket, &QAbstractSocket::disconnected, socket, [this, socket] {
      if (client_ == socket) {
        client_ = nullptr;
        peer_.ClientClosed();
      }
      socket->deleteLater();
    });
  }
}

bool TcpPeerServer::Listen(const std::string& name, int port) {
  if (!server_.listen(QHostAddress::LocalHost, static_cast<quint16>(port))) {
    std::cerr << name << ": " << server_.errorString().toStdString() << "\n";
    return false;
  }
  std::cout << name << " listening on 127.0.0.1:" << server_.serverPort() << std::endl;
  return true;
}

}  // namespace tolvane::tools
