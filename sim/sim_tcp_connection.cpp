#include "sim/sim_tcp_connection.h"

#include <utility>

namespace tolvane::sim {
namespace {

constexpr SimEventLoop::Millis kLatency{1};

}  // namespace

SimTcpConnection::SimTcpConnection(SimEventLoop& loop, TcpPeer& peer) : loop_(loop), peer_(peer) {
  peer_.SetToClient([this](const std::string& bytes) {
    if (!open_) return;
    Later([this, bytes] {
      if (on_data_) on_data_(bytes);
    });
  });
  peer_.SetDropClient([this] {
    if (open_) Later([this] { End(kDropped); });
  });
}

void SimTcpConnection::Later(std::function<void()> action) {
  loop_.After(kLatency, [this, generation = generation_, action = std::move(action)] {
    if (generation == generation_) action();
  });
}

void SimTcpConnection::Connect(const std::string& host, int port, bool tls) {
  Close();
  host_ = host;
  port_ = port;
  tls_ = tls;
  ++connect_count_;
  connecting_ = true;
  Later([this] {
    connecting_ = false;
    if (!peer_.Accept()) {
      End(std::string(kRefused) + " by " + host_ + ":" + std::to_string(port_));
      return;
    }
    open_ = true;
    if (on_connected_) on_connected_();
  });
}

void SimTcpConnection::End(const std::string& reason) {
  open_ = connecting_ = false;
  ++generation_;
  if (on_closed_) on_closed_(reason);
}

void SimTcpConnection::Write(const std::string& bytes) {
  if (!open_) return;
  written_ += bytes;
  Later([this, bytes] { peer_.FromClient(bytes); });
}

void SimTcpConnection::Close() {
  const bool was_open = open_;
  open_ = connecting_ = false;
  ++generation_;
  if (was_open) peer_.ClientClosed();
}

}  // namespace tolvane::sim
