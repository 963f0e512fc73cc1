#ifndef TOLVANE_SMPP_SMPP_TRANSPORT_H_
#define TOLVANE_SMPP_SMPP_TRANSPORT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/send_context.h"
#include "core/windowed_tcp_transport.h"
#include "platform/file_system.h"
#include "platform/tcp_connection.h"
#include "smpp/smpp_pdu.h"
#include "smpp/smpp_pdu_reader.h"
#include "smpp/smpp_settings.h"

namespace tolvane {

// An SMPP 3.4 account at a provider, over TCP or TLS: one bind as a
// transceiver for a send or a group run, up to `[SMPP] Window` submits on
// their way at once, and a delivery receipt awaited for every part when
// receipts are wanted. The members of a run are logged as each one's
// outcome comes in; a broken session is bound again and the run goes on.
// Long texts go as linked parts, any character as UCS-2.
class SmppTransport : public WindowedTcpTransport {
 public:
  SmppTransport(SendContext& context, TcpConnection& connection, FileSystem& files);

 private:
  const SmppSettings& Account() const { return settings().transports.Get<SmppSettings>(); }

  std::optional<int> ConfiguredPort() const override;
  // Too many parts, or a character the chosen default alphabet cannot carry.
  std::string RefusalFor(const SmsMessage& message, std::string_view text) const override;
  // The connection made and bound.
  std::string Open() override;
  // A bind_transceiver.
  void WriteLogin() override;
  std::string LogoutStatus() const override { return "Logging out of the SMPP provider..."; }
  void ResetReader() override;
  void OnData(const std::string& bytes) override;
  // Sends an enquire_link after `EnquireLink` seconds of silence from the
  // provider. Its answer is due within 30 seconds: a connection whose far
  // end went away without closing it would otherwise hold the send until
  // its receipt time ran out.
  void CheckLink() override;
  // Unbinds, waiting a little for the answer.
  void Logout() override;
  int WindowSize() const override;
  WindowTiming Timing() const override;
  int SubmitPart(const std::string& part) override;
  std::string Fill(const SmsMessage& message, WindowedSending::Prepared& prepared) override;
  void Close() override;
  // What is not SMPP may have been anything, an acceptance too.
  std::string UnansweredText() const override;
  bool ResendUnanswered() const override;
  std::string FarEnd() const override { return "the SMPP provider"; }

  void Handle(const SmppPdu& pdu);
  void OnBindAnswer(const SmppPdu& pdu);
  // A message is answered once the store kept it; a receipt at once.
  void OnDeliverSm(const SmppPdu& pdu);
  void Write(const SmppPdu& pdu);
  uint32_t NextSequence();

  SmppPduReader reader_;
  // It ended on bytes that are not SMPP.
  bool unreadable_ = false;
  int link_seconds_ = 30;
  TimePoint last_heard_;
  // Our enquire_link whose answer is awaited, and until when.
  uint32_t link_sequence_ = 0;
  TimePoint link_deadline_;
  uint32_t next_sequence_ = 1;
  // The sequence number of the bind whose answer is awaited.
  uint32_t login_sequence_ = 0;
  // The sequence number of the unbind whose answer is awaited.
  uint32_t awaited_ = 0;
  std::optional<SmppPdu> answer_;
};

}  // namespace tolvane

#endif  // TOLVANE_SMPP_SMPP_TRANSPORT_H_
