#ifndef TOLVANE_PLATFORM_QT_QT_API_TCP_SERVER_H_
#define TOLVANE_PLATFORM_QT_QT_API_TCP_SERVER_H_

#include <QSslConfiguration>
#include <QTcpServer>
#include <optional>

namespace tolvane {

// The listening socket of the HTTP API, plain or TLS (Qt 6.4 has no
// QSslServer of its own to hand to the HTTP server). Every connection is
// bounded: one whose request grows past `most_bytes` before it is complete
// is answered 413 and closed, before the HTTP server buffers more of it,
// and one silent for `idle_ms` is closed.
class QtApiTcpServer : public QTcpServer {
 public:
  // The header fields of one request may take this many bytes.
  static constexpr qint64 kHeaderBytes = 16 * 1024;
  static constexpr int kIdleMs = 60 * 1000;

  QtApiTcpServer(qint64 most_bytes, std::optional<QSslConfiguration> tls,
                 QObject* parent = nullptr);

  // The HTTP server that reads the connections: a refused one is taken
  // from it.
  void SetReader(QObject* reader) { reader_ = reader; }
  // A request was complete on `socket`: its bytes count from nothing again.
  static void RequestDone(QTcpSocket* socket);

 protected:
  void incomingConnection(qintptr handle) override;

 private:
  void Count(QTcpSocket* socket);

  qint64 most_bytes_;
  std::optional<QSslConfiguration> tls_;
  QObject* reader_ = nullptr;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_API_TCP_SERVER_H_
