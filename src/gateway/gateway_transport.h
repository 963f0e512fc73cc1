#ifndef TOLVANE_GATEWAY_GATEWAY_TRANSPORT_H_
#define TOLVANE_GATEWAY_GATEWAY_TRANSPORT_H_

#include <functional>
#include <memory>
#include <string>

#include "core/send_context.h"
#include "core/transport.h"
#include "platform/http_client.h"

namespace tolvane {

// The HTTP SMS gateway: one form post per message, the answer's status turned
// into the receipt text.
class GatewayTransport : public Transport {
 public:
  GatewayTransport(SendContext& context, HttpClient& client);
  ~GatewayTransport() override;

  // --- Transport. Configure sets the client's proxy from the settings; the
  // gateway has no line, so there is nothing to prepare, lose or hang up.
  void Configure(const std::function<void(int error_number)>& report_error) override;
  void PrepareForSend() override {}
  bool SplitsLongMessages() const override { return false; }
  std::string RefusalOf(std::string_view text) const override { return Cp1252Refusal(text); }
  void SendSingle() override;
  void SendDouble() override;
  bool OpenRun() override;
  bool SendMember(int following) override;
  void CloseRun(bool interrupted) override;
  void Cancel() override;
  // Cancels the request when one is still executing.
  void StopExchange() override;
  bool ConnectionLost() const override { return false; }
  bool LineHeld() const override { return false; }
  // A request posted and never answered (the watchdog, Cancel) may have
  // reached the gateway: the store says so.
  void StopTimers() override;
  void HangUp() override {}

  void FixaStrangTCP();
  void KvittoDelay();
  // Posts the request FixaStrangTCP built and starts the answer watchdog.
  void Post();
  void SandSingelTCP();
  void SandDubbelTCP();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tolvane

#endif  // TOLVANE_GATEWAY_GATEWAY_TRANSPORT_H_
