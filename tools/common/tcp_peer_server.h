#ifndef TOLVANE_TOOLS_COMMON_TCP_PEER_SERVER_H_
#define TOLVANE_TOOLS_COMMON_TCP_PEER_SERVER_H_

#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <string>

#include "sim/tcp_peer.h"

namespace tolvane::tools {

// Serves a simulated peer on a loopback port, one client at a time (another
// is refused while one is connected), with Nagle's delay off so small
// answers leave at once.
class TcpPeerServer {
 public:
  explicit TcpPeerServer(sim::TcpPeer& peer);

  // Speaks TLS from the first byte, presenting the PEM certificate (or chain,
  // server first) and its RSA key; false with the error printed.
  bool UseTls(const std::string& name, const std::string& certificate, const std::string& key);
  // Listens on 127.0.0.1:`port` (0 for any free port) and prints
  // "`name` listening on 127.0.0.1:N"; false with the error printed.
  bool Listen(const std::string& name, int port);

 private:
  void OnConnection();
  // The client's end has closed (or reset) although Qt has not said so yet:
  // a client killed while its answers were still being prepared.
  bool ClientGone() const;
  void Watch();

  sim::TcpPeer& peer_;
  std::unique_ptr<QTcpServer> server_ = std::make_unique<QTcpServer>();
  QTcpSocket* client_ = nullptr;
};

}  // namespace tolvane::tools

#endif  // TOLVANE_TOOLS_COMMON_TCP_PEER_SERVER_H_
