#ifndef TOLVANE_EMI_EMI_TRANSPORT_H_
#define TOLVANE_EMI_EMI_TRANSPORT_H_

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/send_context.h"
#include "core/windowed_tcp_transport.h"
#include "emi/emi_frame_reader.h"
#include "emi/emi_operations.h"
#include "emi/emi_settings.h"
#include "platform/file_system.h"
#include "platform/tcp_connection.h"
#include "ucp/ucp_frame.h"

namespace tolvane {

// UCP/EMI straight over TCP/IP to an SMS centre (`AccessTyp` EMI): one
// session, opened by an op 60 login, for a send or a group run; up to
// `[EMI] Window` op 51 submits outstanding, each matched to its answer by
// TRN and operation; an op 31 after `Keepalive` quiet seconds; the centre's
// op 31 and op 53 answered at once, each op 53 taken as the notification of
// the part its submit's answer named; an op 52 answered once the store kept
// its message. A dropped session is opened again, alternating Host and
// AltHost. Long texts go as linked parts, any character as UCS-2, a sender
// name as an alphanumeric OAdC.
class EmiTransport : public WindowedTcpTransport {
 public:
  EmiTransport(SendContext& context, TcpConnection& connection, FileSystem& files);

 private:
  const EmiSettings& Account() const { return settings().transports.Get<EmiSettings>(); }
  // TRNs are two digits.
  static constexpr int kTransactions = 100;

  struct Address {
    std::string host;
    std::string port;
  };

  std::optional<int> ConfiguredPort() const override;
  // Too many parts, or (with `Operation` 30) UCS-2 or linked parts.
  std::string RefusalFor(const SmsMessage& message, std::string_view text) const override;
  // The connection made (to the host that last held, or the other when it
  // cannot be reached) and logged in.
  std::string Open() override;
  // An op 60.
  void WriteLogin() override;
  std::string LogoutStatus() const override {
    return "Closing the connection to the SMS centre...";
  }
  void ResetReader() override { reader_ = EmiFrameReader(); }
  void OnData(const std::string& bytes) override;
  // The next connection tries the other host first.
  void OnClosed() override;
  // An op 31 after `Keepalive` seconds without a byte either way; its answer
  // is not awaited, a dead connection shows itself by closing.
  void CheckLink() override;
  // UCP has no logout: the session ends with its connection.
  void Logout() override;
  int WindowSize() const override;
  WindowTiming Timing() const override;
  int SubmitPart(const std::string& part) override;
  std::string Fill(const SmsMessage& message, WindowedSending::Prepared& prepared) override;
  std::string UnansweredText() const override;
  bool ResendUnanswered() const override;
  std::string FarEnd() const override { return "the SMS centre"; }

  void Handle(const UcpFrame& frame);
  void OnLoginAnswer(const EmiResult& result);
  // Answered positively once the store kept the message, negatively when it
  // could not.
  void OnDeliver(const UcpFrame& frame);
  void Write(const std::string& frame);
  // The next TRN in turn whose answer is not awaited. A submit's TRN is
  // never one the window still holds a part under, whatever time passed.
  int NextTransaction(bool submit);
  std::vector<Address> Addresses() const;
  bool ConnectTo(const Address& address, std::string& reason);

  EmiFrameReader reader_;
  int keepalive_seconds_;
  TimePoint last_traffic_;
  TimePoint last_written_;
  int next_transaction_ = 0;
  // Until when the answer to the login or the op 31 under each TRN is
  // awaited; the window knows its own.
  std::array<TimePoint, kTransactions> awaited_until_{};
  // The TRN of the login whose answer is awaited.
  std::optional<int> login_trn_;
  // Which of Addresses() the next connection tries first.
  size_t address_index_ = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_EMI_EMI_TRANSPORT_H_
