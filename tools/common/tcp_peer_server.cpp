#include "tcp_peer_server.h"

#include <QFile>
#include <QHostAddress>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <iostream>
#include <utility>

#ifdef Q_OS_UNIX
#include <sys/socket.h>

#include <cerrno>
#endif

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
  peer_.SetCheckClient([this] {
    if (client_ == nullptr || !ClientGone()) return;
    QTcpSocket* gone = std::exchange(client_, nullptr);
    gone->abort();
    gone->deleteLater();
    peer_.ClientClosed();
  });
  Watch();
}

bool TcpPeerServer::ClientGone() const {
#ifdef Q_OS_UNIX
  // Bytes still unread hide a close behind them; they are read first anyway.
  char byte = 0;
  const ssize_t got =
      recv(static_cast<int>(client_->socketDescriptor()), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
#else
  return false;
#endif
}

void TcpPeerServer::Watch() {
  QObject::connect(server_.get(), &QTcpServer::pendingConnectionAvailable, server_.get(),
                   [this] { OnConnection(); });
}

bool TcpPeerServer::UseTls(const std::string& name, const std::string& certificate,
                           const std::string& key) {
  const QList<QSslCertificate> chain =
      QSslCertificate::fromPath(QString::fromStdString(certificate));
  QFile key_file(QString::fromStdString(key));
  if (chain.isEmpty() || !key_file.open(QIODevice::ReadOnly)) {
    std::cerr << name << ": cannot read the certificate or the key\n";
    return false;
  }
  QSslConfiguration identity = QSslConfiguration::defaultConfiguration();
  identity.setLocalCertificateChain(chain);
  identity.setPrivateKey(QSslKey(&key_file, QSsl::Rsa));
  auto tls_server = std::make_unique<QSslServer>();
  tls_server->setSslConfiguration(identity);
  server_ = std::move(tls_server);
  Watch();
  return true;
}

void TcpPeerServer::OnConnection() {
  while (QTcpSocket* socket = server_->nextPendingConnection()) {
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
  if (!server_->listen(QHostAddress::LocalHost, static_cast<quint16>(port))) {
    std::cerr << name << ": " << server_->errorString().toStdString() << "\n";
    return false;
  }
  std::cout << name << " listening on 127.0.0.1:" << server_->serverPort() << std::endl;
  return true;
}

}  // namespace tolvane::tools
