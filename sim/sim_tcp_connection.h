#ifndef TOLVANE_SIM_SIM_TCP_CONNECTION_H_
#define TOLVANE_SIM_SIM_TCP_CONNECTION_H_

#include <functional>
#include <string>
#include <utility>

#include "platform/tcp_connection.h"
#include "sim/sim_event_loop.h"
#include "sim/tcp_peer.h"

namespace tolvane::sim {

// A TCP connection on virtual time to a simulated server. Bytes take a
// millisecond each way and keep their order; every delivery is one data
// event, so a server decides how its bytes are cut up.
class SimTcpConnection : public TcpConnection {
 public:
  // Followed by " by host:port", as the real connection names a refusal.
  static constexpr char kRefused[] = "Connection refused";
  static constexpr char kDropped[] = "The server closed the connection";

  SimTcpConnection(SimEventLoop& loop, TcpPeer& peer);

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

  // Test controls and records.
  const std::string& Host() const { return host_; }
  int Port() const { return port_; }
  bool Tls() const { return tls_; }
  int ConnectCount() const { return connect_count_; }
  // Every byte the program has written, over every connection.
  const std::string& Written() const { return written_; }

 private:
  // Runs `action` a millisecond from now, unless this connection has ended.
  void Later(std::function<void()> action);
  void End(const std::string& reason);

  SimEventLoop& loop_;
  TcpPeer& peer_;
  std::function<void()> on_connected_;
  std::function<void(const std::string&)> on_data_;
  std::function<void(const std::string&)> on_closed_;
  // Counts the connections, so events of an ended one are dropped.
  int generation_ = 0;
  bool connecting_ = false;
  bool open_ = false;
  std::string host_;
  int port_ = 0;
  bool tls_ = false;
  int connect_count_ = 0;
  std::string written_;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_TCP_CONNECTION_H_
