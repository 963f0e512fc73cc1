#include "platform/qt/qt_tcp_connection.h"

#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>

namespace tolvane {
namespace {

constexpr char kServerClosed[] = "The server closed the connection";

}  // namespace

QtTcpConnection::QtTcpConnection() {
  QObject::connect(&socket_, &QAbstractSocket::connected, &socket_, [this] {
    // With TLS the connection is usable once the handshake is done.
    if (!tls_) OnReady();
  });
  QObject::connect(&socket_, &QSslSocket::encrypted, &socket_, [this] { OnReady(); });
  QObject::connect(&socket_, &QSslSocket::sslErrors, &socket_,
                   [this](const QList<QSslError>& errors) {
                     // Never ignored: the handshake fails and the socket reports it.
                     if (!errors.isEmpty())
                       tls_failure_ = errors.first().errorString().toStdString();
                   });
  QObject::connect(&socket_, &QIODevice::readyRead, &socket_, [this] { OnReadyRead(); });
  QObject::connect(&socket_, &QAbstractSocket::errorOccurred, &socket_,
                   [this](QAbstractSocket::SocketError error) {
                     if (error == QAbstractSocket::ConnectionRefusedError) {
                       OnEnded("Connection refused by " + address_);
                     } else if (error == QAbstractSocket::RemoteHostClosedError) {
                       OnEnded(Where(kServerClosed));
                     } else if (!tls_failure_.empty()) {
                       OnEnded(Where("TLS: " + tls_failure_));
                     } else {
                       OnEnded(Where(socket_.errorString().toStdString()));
                     }
                   });
  QObject::connect(&socket_, &QAbstractSocket::disconnected, &socket_,
                   [this] { OnEnded(Where(kServerClosed)); });
}

std::string QtTcpConnection::Where(const std::string& reason) const {
  return open_ ? reason : reason + " (" + address_ + ")";
}

QtTcpConnection::~QtTcpConnection() {
  active_ = false;
  socket_.abort();
}

void QtTcpConnection::Connect(const std::string& host, int port, bool tls) {
  Close();
  tls_ = tls;
  tls_failure_.clear();
  address_ = host + ":" + std::to_string(port);
  active_ = true;
  const QString name = QString::fromStdString(host);
  const auto number = static_cast<quint16>(port);
  if (tls) {
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    QList<QSslCertificate> authorities = QSslConfiguration::systemCaCertificates();
    // As OpenSSL programs do, the file SSL_CERT_FILE names holds further
    // authorities to trust, such as a company's own.
    const QString more = qEnvironmentVariable("SSL_CERT_FILE");
    if (!more.isEmpty()) authorities += QSslCertificate::fromPath(more);
    configuration.setCaCertificates(authorities);
    configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    socket_.setSslConfiguration(configuration);
    socket_.connectToHostEncrypted(name, number);
  } else {
    socket_.connectToHost(name, number);
  }
}

void QtTcpConnection::OnReady() {
  if (!active_) return;
  socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
  open_ = true;
  if (on_connected_) on_connected_();
}

void QtTcpConnection::OnReadyRead() {
  const QByteArray bytes = socket_.readAll();
  // With TLS, bytes arrive only once the handshake is done.
  if (!open_ || bytes.isEmpty()) return;
  if (on_data_) on_data_(bytes.toStdString());
}

void QtTcpConnection::OnEnded(const std::string& reason) {
  if (!active_) return;
  active_ = false;
  open_ = false;
  socket_.abort();
  if (on_closed_) on_closed_(reason);
}

void QtTcpConnection::Write(const std::string& bytes) {
  if (!open_) return;
  socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
  // Out at once, not when the program next waits: with several submits
  // outstanding the next one should not wait behind the log of the last.
  socket_.flush();
}

void QtTcpConnection::Close() {
  active_ = false;
  open_ = false;
  socket_.abort();
}

}  // namespace tolvane
