#ifndef TOLVANE_GATEWAY_GATEWAY_TRANSPORT_H_
#define TOLVANE_GATEWAY_GATEWAY_TRANSPORT_H_

#include <memory>
#include <string>

#include "core/send_context.h"
#include "platform/http_client.h"

namespace tolvane {

// The HTTP SMS gateway: one form post per message, the answer's status turned
// into the receipt text.
class GatewayTransport {
 public:
  GatewayTransport(SendContext& context, HttpClient& client);
  ~GatewayTransport();

  // Proxy settings of the client from the settings.
  void ConfigureClient();
  void FixaStrangTCP();
  void KvittoDelay();
  // Posts the request FixaStrangTCP built and starts the answer watchdog.
  void Post();
  void SandSingelTCP();
  void SandDubbelTCP();
  // Cancels the request when one is still executing.
  void CancelRequest();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tolvane

#endif  // TOLVANE_GATEWAY_GATEWAY_TRANSPORT_H_
