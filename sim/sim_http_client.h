#ifndef TOLVANE_SIM_SIM_HTTP_CLIENT_H_
#define TOLVANE_SIM_SIM_HTTP_CLIENT_H_

#include <cstdint>
#include <memory>
#include <string>

#include "platform/http_client.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_gateway.h"

namespace tolvane::sim {

// The HTTP client against the in-process gateway: a request reaches the
// gateway at once, its answer comes as a state event after the gateway's delay.
class SimHttpClient : public HttpClient {
 public:
  // The error a closed connection reports.
  static constexpr int kClosedErrorCode = 2;
  static constexpr char kClosedErrorText[] = "Connection closed by the gateway";

  SimHttpClient(SimEventLoop& loop, SimGateway& gateway);
  ~SimHttpClient() override;

  void Execute(const std::string& url, const std::string& method, const std::string& body,
               const std::string& headers) override;
  void SetOnStateChanged(std::function<void(int state)> handler) override;
  std::string GetChunk(int size) override;
  std::string GetHeader() override;
  int ResponseCode() const override { return error_code_; }
  std::string ResponseInfo() const override { return error_text_; }
  bool StillExecuting() const override { return executing_; }
  void Cancel() override;
  void SetProxy(int access_type, const std::string& host, int port) override;
  std::string OpenUrl(const std::string& url, int timeout_ms) override;

  int CancelCount() const { return cancel_count_; }
  int AccessType() const { return access_type_; }
  const std::string& ProxyHost() const { return proxy_host_; }
  int ProxyPort() const { return proxy_port_; }

 private:
  HttpRequest MakeRequest(const std::string& url, const std::string& method,
                          const std::string& body, const std::string& headers) const;
  void Complete(const GatewayReply& reply);

  SimEventLoop& loop_;
  SimGateway& gateway_;
  std::function<void(int)> on_state_changed_;
  // Answers scheduled for a cancelled request, or for a client that is gone,
  // are dropped.
  std::shared_ptr<uint64_t> current_request_ = std::make_shared<uint64_t>(0);
  bool executing_ = false;
  std::string header_;
  std::string body_;
  size_t read_position_ = 0;
  int error_code_ = 0;
  std::string error_text_;
  int cancel_count_ = 0;
  int access_type_ = kDirect;
  std::string proxy_host_;
  int proxy_port_ = 0;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_HTTP_CLIENT_H_
