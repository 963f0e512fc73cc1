#ifndef TOLVANE_PLATFORM_TCP_CONNECTION_H_
#define TOLVANE_PLATFORM_TCP_CONNECTION_H_

#include <functional>
#include <string>

namespace tolvane {

// One client connection over TCP, driven by events on the program thread:
// Connect returns at once, and the handlers say what came of it. A handler
// is never called from inside the call that caused it.
class TcpConnection {
 public:
  virtual ~TcpConnection() = default;

  // Opens a connection to `host`:`port`, closing one still open first. With
  // `tls` the whole stream is encrypted from the first byte and the server's
  // certificate must be valid for `host`; there is no plain fall-back.
  virtual void Connect(const std::string& host, int port, bool tls) = 0;
  // Queues bytes to send; ignored unless open.
  virtual void Write(const std::string& bytes) = 0;
  // Closes at once, without raising the closed handler.
  virtual void Close() = 0;
  // Connected (and, with TLS, the handshake done) and not yet closed.
  virtual bool IsOpen() const = 0;

  virtual void SetOnConnected(std::function<void()> handler) = 0;
  virtual void SetOnData(std::function<void(const std::string& bytes)> handler) = 0;
  // The connection could not be made, or ended from the far side or the
  // network; `reason` says which, for the receipt line. One never made names
  // the address: "Connection refused by 127.0.0.1:2775".
  virtual void SetOnClosed(std::function<void(const std::string& reason)> handler) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_TCP_CONNECTION_H_
