#ifndef TOLVANE_SIM_TCP_PEER_H_
#define TOLVANE_SIM_TCP_PEER_H_

#include <functional>
#include <string>
#include <utility>

namespace tolvane::sim {

// The server at the far end of a simulated TCP connection, or of a real
// one in the simulator tools. One client at a time.
class TcpPeer {
 public:
  virtual ~TcpPeer() = default;

  // Bytes towards the client, and the end of the connection from this side.
  virtual void SetToClient(std::function<void(const std::string&)> to_client) = 0;
  virtual void SetDropClient(std::function<void()> drop_client) = 0;

  // A client connected; false refuses it.
  virtual bool Accept() = 0;
  virtual void FromClient(const std::string& bytes) = 0;
  // The client closed its end.
  virtual void ClientClosed() = 0;

  // Asked just before an answer that has the peer take something, so that a
  // client found gone meanwhile is closed (ClientClosed) and its part not
  // taken. The tools look at the socket; on virtual time nothing is needed.
  void SetCheckClient(std::function<void()> check_client) {
    check_client_ = std::move(check_client);
  }

 protected:
  void CheckClient() {
    if (check_client_) check_client_();
  }

 private:
  std::function<void()> check_client_;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_TCP_PEER_H_
