#ifndef TOLVANE_TOOLS_COMMON_TCP_PEER_SERVER_H_
#define TOLVANE_TOOLS_COMMON_TCP_PEER_SERVER_H_

#include <QTcpServer>
#include <QTcpSocket>
#include <string>

#include "sim/tcp_peer.h"

namespace tolvane::tools {

// Serves a simulated peer on a loopback port, one client at a time (another
// is refused while one is connected), with Nagle's delay off so small
// answers leave at once.
class TcpPeerServer {
 public:
  explicit TcpPeerServer(sim::TcpPeer& peer);

  // Listens on 127.0.0.1:`port` (0 for any free port) and prints
  // "`name` listening on 127.0.0.1:N"; false with the error printed.
  bool Listen(const std::string& name, int port);

 private:
  void OnConnection();

  sim::TcpPeer& peer_;
  QTcpServer server_;
  QTcpSocket* client_ = nullptr;
};

}  // namespace tolvane::tools

#endif  // TOLVANE_TOOLS_COMMON_TCP_PEER_SERVER_H_
