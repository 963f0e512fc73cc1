#include "sim/sim_http_client.h"

#include <algorithm>
#include <stdexcept>

namespace tolvane::sim {

SimHttpClient::SimHttpClient(SimEventLoop& loop, SimGateway& gateway)
    : loop_(loop), gateway_(gateway) {}

SimHttpClient::~SimHttpClient() { *current_request_ = 0; }

HttpRequest SimHttpClient::MakeRequest(const std::string& url, const std::string& method,
                                       const std::string& body, const std::string& headers) const {
  HttpRequest request;
  request.method = method;
  // A proxy is given the whole address, a server only the path.
  request.target = url;
  if (access_type_ != kNamedProxy) {
    HttpRequest absolute;
    absolute.target = url;
    std::string query = absolute.Query();
    request.target = absolute.Path() + (query.empty() ? "" : "?" + query);
  }
  request.headers = ParseHeaderText(headers);
  request.body = body;
  return request;
}

void SimHttpClient::Execute(const std::string& url, const std::string& method,
                            const std::string& body, const std::string& headers) {
  if (executing_) throw std::logic_error("a request is still executing");
  GatewayReply reply = gateway_.Handle(MakeRequest(url, method, body, headers));
  executing_ = true;
  error_code_ = 0;
  error_text_.clear();
  uint64_t request = ++*current_request_;
  if (reply.kind == GatewayAnswer::Kind::kSilent) return;
  std::weak_ptr<uint64_t> current = current_request_;
  loop_.After(SimEventLoop::Millis(reply.delay_ms), [this, current, request, reply] {
    auto alive = current.lock();
    if (alive && *alive == request) Complete(reply);
  });
}

void SimHttpClient::Complete(const GatewayReply& reply) {
  executing_ = false;
  header_.clear();
  body_.clear();
  read_position_ = 0;
  int state = kStateResponseCompleted;
  if (reply.kind == GatewayAnswer::Kind::kClose) {
    error_code_ = kClosedErrorCode;
    error_text_ = kClosedErrorText;
    state = kStateError;
  } else {
    std::string wire = reply.Wire();
    size_t head_end = wire.find("\r\n\r\n");
    header_ = wire.substr(0, head_end + 2);
    body_ = wire.substr(head_end + 4);
  }
  if (on_state_changed_) on_state_changed_(state);
}

void SimHttpClient::SetOnStateChanged(std::function<void(int state)> handler) {
  on_state_changed_ = std::move(handler);
}

std::string SimHttpClient::GetChunk(int size) {
  std::string chunk = body_.substr(std::min(read_position_, body_.size()), size);
  read_position_ += chunk.size();
  return chunk;
}

std::string SimHttpClient::GetHeader() { return header_; }

void SimHttpClient::Cancel() {
  ++cancel_count_;
  ++*current_request_;
  executing_ = false;
}

void SimHttpClient::SetProxy(int access_type, const std::string& host, int port) {
  access_type_ = access_type;
  proxy_host_ = host;
  proxy_port_ = port;
}

std::string SimHttpClient::OpenUrl(const std::string& url, int timeout_ms) {
  GatewayReply reply = gateway_.Handle(MakeRequest(url, "GET", "", ""));
  // The caller waits, as the real fetch does, until the answer or the time-out.
  const bool answered = reply.kind != GatewayAnswer::Kind::kSilent && reply.delay_ms <= timeout_ms;
  loop_.RunFor(SimEventLoop::Millis(answered ? reply.delay_ms : timeout_ms));
  return answered && reply.kind == GatewayAnswer::Kind::kStatus ? reply.body : "";
}

}  // namespace tolvane::sim
