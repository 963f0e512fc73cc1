#include "platform/qt/qt_api_tcp_server.h"

#include <QSslSocket>
#include <QTimer>

#include "api/problem.h"
#include "platform/qt/qt_api_answer.h"

namespace tolvane {
namespace {

constexpr char kSeenProperty[] = "tolvane_request_bytes";
constexpr char kRefusedProperty[] = "tolvane_refused";

}  // namespace

QtApiTcpServer::QtApiTcpServer(qint64 most_bytes, std::optional<QSslConfiguration> tls,
                               QObject* parent)
    : QTcpServer(parent), most_bytes_(most_bytes), tls_(std::move(tls)) {}

void QtApiTcpServer::RequestDone(QTcpSocket* socket) { socket->setProperty(kSeenProperty, 0); }

void QtApiTcpServer::incomingConnection(qintptr handle) {
  QTcpSocket* socket = tls_ ? new QSslSocket(this) : new QTcpSocket(this);
  if (!socket->setSocketDescriptor(handle)) {
    delete socket;
    return;
  }
  auto* idle = new QTimer(socket);
  idle->setSingleShot(true);
  idle->setInterval(kIdleMs);
  connect(idle, &QTimer::timeout, socket, [socket] { socket->abort(); });
  idle->start();
  // Connected before the HTTP server's own handler, so it sees new bytes
  // before they are read.
  connect(socket, &QTcpSocket::readyRead, socket, [this, socket, idle] {
    idle->start();
    Count(socket);
  });
  if (tls_) {
    auto* tls_socket = static_cast<QSslSocket*>(socket);
    tls_socket->setSslConfiguration(*tls_);
    tls_socket->startServerEncryption();
  }
  addPendingConnection(socket);
}

void QtApiTcpServer::Count(QTcpSocket* socket) {
  if (socket->property(kRefusedProperty).toBool()) {
    socket->readAll();
    return;
  }
  const qint64 seen = socket->property(kSeenProperty).toLongLong() + socket->bytesAvailable();
  socket->setProperty(kSeenProperty, seen);
  if (seen <= most_bytes_ + kHeaderBytes) return;
  socket->setProperty(kRefusedProperty, true);
  if (reader_ != nullptr) disconnect(socket, &QTcpSocket::readyRead, reader_, nullptr);
  socket->readAll();
  socket->write(AnswerBytes(
      Problem(413, "The request is longer than " + std::to_string(most_bytes_) +
                       " bytes of body and " + std::to_string(kHeaderBytes) + " of header"),
      true));
  socket->disconnectFromHost();
}

}  // namespace tolvane
