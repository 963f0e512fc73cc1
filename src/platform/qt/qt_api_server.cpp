#include "platform/qt/qt_api_server.h"

#include <QFile>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpSocket>
#include <optional>

#include "platform/qt/qt_api_answer.h"
#include "platform/qt/qt_api_tcp_server.h"

namespace tolvane {
namespace {

std::string MethodName(QHttpServerRequest::Method method) {
  switch (method) {
    case QHttpServerRequest::Method::Get:
      return "GET";
    case QHttpServerRequest::Method::Put:
      return "PUT";
    case QHttpServerRequest::Method::Delete:
      return "DELETE";
    case QHttpServerRequest::Method::Post:
      return "POST";
    case QHttpServerRequest::Method::Head:
      return "HEAD";
    case QHttpServerRequest::Method::Options:
      return "OPTIONS";
    case QHttpServerRequest::Method::Patch:
      return "PATCH";
    case QHttpServerRequest::Method::Connect:
      return "CONNECT";
    case QHttpServerRequest::Method::Trace:
      return "TRACE";
    default:
      return "UNKNOWN";
  }
}

QByteArray ReadFile(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The certificate and key of the settings, or why they cannot be used.
std::optional<QSslConfiguration> TlsConfiguration(const ApiSettings& settings, std::string& error) {
  const QList<QSslCertificate> chain =
      QSslCertificate::fromData(ReadFile(settings.CertFile), QSsl::Pem);
  const QByteArray key_bytes = ReadFile(settings.KeyFile);
  QSslKey key(key_bytes, QSsl::Rsa, QSsl::Pem);
  if (key.isNull()) key = QSslKey(key_bytes, QSsl::Ec, QSsl::Pem);
  if (chain.isEmpty()) error = "no certificate in " + settings.CertFile;
  if (key.isNull()) error = "no private key in " + settings.KeyFile;
  if (!error.empty()) return std::nullopt;
  QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
  configuration.setLocalCertificateChain(chain);
  configuration.setPrivateKey(key);
  configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
  return configuration;
}

}  // namespace

QtApiServer::QtApiServer(Handler handler) : handler_(std::move(handler)) {}

std::string QtApiServer::Listen(const ApiSettings& settings) {
  std::optional<QSslConfiguration> tls;
  std::string error;
  if (settings.Tls) {
    tls = TlsConfiguration(settings, error);
    if (!tls) return error;
  }
  QHostAddress address;
  if (settings.Address == "localhost") {
    address = QHostAddress::LocalHost;
  } else if (!address.setAddress(QString::fromStdString(settings.Address))) {
    return "not an address: " + settings.Address;
  }
  auto* server = new QtApiTcpServer(settings.MaxBody, tls, this);
  server->SetReader(this);
  if (!server->listen(address, static_cast<quint16>(settings.Port))) {
    error = server->errorString().toStdString();
    delete server;
    return error;
  }
  port_ = server->serverPort();
  bind(server);
  return {};
}

bool QtApiServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
  QtApiTcpServer::RequestDone(socket);
  ApiRequest taken;
  taken.method = MethodName(request.method());
  const QUrl url = request.url();
  taken.target = url.path(QUrl::FullyEncoded).toStdString();
  if (url.hasQuery()) taken.target += "?" + url.query(QUrl::FullyEncoded).toStdString();
  for (const auto& [name, value] : request.headers()) {
    taken.headers.emplace_back(name.toStdString(), value.toStdString());
  }
  taken.body = request.body().toStdString();
  const ApiResponse answer = handler_(taken);
  const std::optional<std::string> connection = taken.Header("Connection");
  const bool close = connection && QByteArray::fromStdString(*connection).toLower() == "close";
  socket->write(AnswerBytes(answer, close));
  if (close) socket->disconnectFromHost();
  return true;
}

void QtApiServer::missingHandler(const QHttpServerRequest&, QTcpSocket* socket) {
  socket->disconnectFromHost();
}

}  // namespace tolvane
