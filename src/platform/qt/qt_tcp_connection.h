#ifndef TOLVANE_PLATFORM_QT_QT_TCP_CONNECTION_H_
#define TOLVANE_PLATFORM_QT_QT_TCP_CONNECTION_H_

#include <QSslSocket>
#include <functional>
#include <string>
#include <utility>

#include "platform/tcp_connection.h"

namespace tolvane {

// The connection on QSslSocket: plain TCP, or TLS from the first byte
// checked against the system's certificate authorities. Small PDUs go out
// at once (no Nagle delay), as every request waits for its answer.
class QtTcpConnection : public TcpConnection {
 public:
  QtTcpConnection();
  ~QtTcpConnection() override;

  void Connect(const std::string& host, int port, bool tls) override;
  void Write(const std::string& bytes) override;
  void Close() override;
  bool IsOpen() const override { return open_; }

  void SetOnConnected(std::function<void()> handler) override {
    on_connected_ = std::move(handler);
  }
  void SetOnData(std::function<void(const std::string&)> handler) override {
    on_data_ = std::move(handler);
  }
  void SetOnClosed(std::function<void(const std::string&)> handler) override {
    on_closed_ = std::move(handler);
  }

 private:
  void OnReady();
  void OnReadyRead();
  // The first failure or end of a connection is reported once.
  void OnEnded(const std::string& reason);
  // A connection never made names where it was to go.
  std::string Where(const std::string& reason) const;

  QSslSocket socket_;
  bool tls_ = false;
  bool open_ = false;
  // Between Connect and the end of that connection.
  bool active_ = false;
  std::string tls_failure_;
  // "host:port" of the last Connect.
  std::string address_;
  std::function<void()> on_connected_;
  std::function<void(const std::string&)> on_data_;
  std::function<void(const std::string&)> on_closed_;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_TCP_CONNECTION_H_
