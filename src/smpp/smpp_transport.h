#ifndef TOLVANE_SMPP_SMPP_TRANSPORT_H_
#define TOLVANE_SMPP_SMPP_TRANSPORT_H_

#include <functional>
#include <memory>
#include <string>

#include "core/send_context.h"
#include "core/transport.h"
#include "platform/file_system.h"
#include "platform/tcp_connection.h"

namespace tolvane {

// An SMPP 3.4 account at a provider, over TCP or TLS: one bind as a
// transceiver for a send or a group run, up to `[SMPP] Window` submits on
// their way at once, and a delivery receipt awaited for every part when
// receipts are wanted. The members of a run are logged as each one's
// outcome comes in; a broken session is bound again and the run goes on.
// Long texts go as linked parts, any character as UCS-2.
class SmppTransport : public Transport {
 public:
  SmppTransport(SendContext& context, TcpConnection& connection, FileSystem& files);
  ~SmppTransport() override;

  // A port that is no number is reported; the send then says so too.
  void Configure(const std::function<void(int error_number)>& report_error) override;
  bool SplitsLongMessages() const override { return true; }
  // Too many parts, or a character the chosen default alphabet cannot carry.
  std::string RefusalOf(std::string_view text) const override;
  void PrepareForSend() override {}
  void SendSingle() override;
  // A long text needs no double message here: it goes as one linked message.
  void SendDouble() override;
  bool OpenRun() override;
  // Back once the member's parts are on their way.
  bool SendMember(int following) override;
  // Waits for the run's last answers and receipts.
  void CloseRun(bool interrupted) override;
  // Every wait watches the cancel flag itself.
  void Cancel() override {}
  void StopExchange() override {}
  bool ConnectionLost() const override;
  bool LineHeld() const override;
  void StopTimers() override {}
  // Unbinds (waiting a little for the answer) and closes the connection.
  void HangUp() override;
  std::string ClosingStatus() const override { return "Logging out of the SMPP provider..."; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tolvane

#endif  // TOLVANE_SMPP_SMPP_TRANSPORT_H_
