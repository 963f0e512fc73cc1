#ifndef TOLVANE_EMI_EMI_TRANSPORT_H_
#define TOLVANE_EMI_EMI_TRANSPORT_H_

#include <functional>
#include <memory>
#include <string>

#include "core/send_context.h"
#include "core/transport.h"
#include "platform/file_system.h"
#include "platform/tcp_connection.h"

namespace tolvane {

// UCP/EMI straight over TCP/IP to an SMS centre (`AccessTyp` EMI): one
// session, opened by an op 60 login, for a send or a group run; up to
// `[EMI] Window` op 51 submits outstanding, each matched to its answer by
// TRN and operation; an op 31 after `Keepalive` quiet seconds; the centre's
// op 31 and op 53 answered at once, each op 53 taken as the notification of
// the part its submit's answer named. A dropped session is opened again,
// alternating Host and AltHost. Long texts go as linked parts, any
// character as UCS-2, a sender name as an alphanumeric OAdC.
class EmiTransport : public Transport {
 public:
  EmiTransport(SendContext& context, TcpConnection& connection, FileSystem& files);
  ~EmiTransport() override;

  // A port that is no number is reported; the send then says so too.
  void Configure(const std::function<void(int error_number)>& report_error) override;
  bool SplitsLongMessages() const override { return true; }
  // Too many parts, or (with `Operation` 30) UCS-2 or linked parts.
  std::string RefusalOf(std::string_view text) const override;
  void PrepareForSend() override {}
  void SendSingle() override;
  // A long text needs no double message here: it goes as one linked message.
  void SendDouble() override;
  bool OpenRun() override;
  // Back once the member's parts are on their way.
  bool SendMember(int following) override;
  // Waits for the run's last answers and notifications.
  void CloseRun(bool interrupted) override;
  // Every wait watches the cancel flag itself.
  void Cancel() override {}
  void StopExchange() override {}
  bool ConnectionLost() const override;
  bool LineHeld() const override;
  void StopTimers() override {}
  void HangUp() override;
  std::string ClosingStatus() const override {
    return "Closing the connection to the SMS centre...";
  }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tolvane

#endif  // TOLVANE_EMI_EMI_TRANSPORT_H_
