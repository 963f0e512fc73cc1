#include "emi/emi_transport.h"

#include <chrono>

#include "core/receipt_texts.h"
#include "core/secret_store.h"
#include "core/settings_values.h"
#include "emi/emi_errors.h"
#include "emi/emi_settings.h"
#include "sms/sms_address.h"
#include "text/utf8.h"
#include "text/whole_number.h"

namespace tolvane {
namespace {

constexpr int kAnswerMs = 60000;
constexpr int kDefaultWindow = 10;
// TRNs are two digits: one of the hundred stays free for the keep-alive.
constexpr int kMaxWindow = 99;
constexpr int kDefaultKeepalive = 50;
// 1, 2, 4, 8, 16 seconds: a transient error this often more ends the part.
constexpr int kTransientRetries = 5;
constexpr int kLongestBackoffMs = 16000;
// Closing drops what the socket has not sent yet: the answer to the last
// notification gets this long to leave.
constexpr int kLingerMs = 200;

constexpr char kNoHost[] = "No SMS centre is set: [EMI] Host in tolvmsg.ini";
// "Operation not allowed (at this point in time)": the message could not be
// kept now, and the centre delivers it again later.
constexpr char kNotNow[] = "04";

bool DialUp(const EmiSettings& account) { return account.Operation == kOperationDialUpSubmit; }

const char* SubmitOperation(const EmiSettings& account) {
  return DialUp(account) ? kOperationDialUpSubmit : kOperationSubmit;
}

// Why the settings cannot carry the message: operation 30 neither Unicode
// nor linked parts, IRA no character outside ASCII. Empty when they can.
std::string SettingsRefusal(const EmiSettings& account, const SmsMessage& message,
                            std::string_view text) {
  if (!message.error.empty()) return message.error;
  if (DialUp(account) && message.encoding == SmsEncoding::kUcs2) {
    return "Not sent: [EMI] Operation 30 carries no Unicode, and this text needs it";
  }
  if (DialUp(account) && message.parts.size() > 1) {
    return "Not sent: [EMI] Operation 30 carries no linked parts, and this text needs " +
           std::to_string(message.parts.size());
  }
  if (EmiAlphabetOf(account.Alphabet) == EmiAlphabet::kIra &&
      message.encoding == SmsEncoding::kGsm7) {
    if (const std::optional<char32_t> c = FirstNonIra(text)) {
      return "Not sent: [EMI] Alphabet IRA carries only ASCII characters, and this text has " +
             CharacterText(*c);
    }
  }
  return {};
}

PartAnswer WindowAnswer(const EmiResult& result) {
  if (result.positive) return {PartAnswer::Kind::kAccepted, result.system_message, ""};
  const std::string text = "Not sent: " + EmiErrorText(result.error_code);
  return {IsTransientEmiError(result.error_code) ? PartAnswer::Kind::kRetry
                                                 : PartAnswer::Kind::kRefused,
          "", text};
}

}  // namespace

EmiTransport::EmiTransport(SendContext& context, TcpConnection& connection, FileSystem& files)
    : WindowedTcpTransport(context, connection, files), keepalive_seconds_(kDefaultKeepalive) {}

std::optional<int> EmiTransport::ConfiguredPort() const { return ParseProxyPort(Account().Port); }

std::string EmiTransport::RefusalFor(const SmsMessage& message, std::string_view text) const {
  return SettingsRefusal(Account(), message, text);
}

void EmiTransport::Write(const std::string& frame) {
  last_traffic_ = last_written_ = context().Loop().Now();
  tcp().Write("\x02" + frame + "\x03");
}

void EmiTransport::CheckLink() {
  if (session() && !login_trn_ && tcp().IsOpen() && Broken().empty() && keepalive_seconds_ > 0 &&
      context().Loop().Now() - last_traffic_ >= std::chrono::seconds(keepalive_seconds_)) {
    Write(AlertFrame(NextTransaction(false), Account().User));
  }
}

void EmiTransport::OnClosed() {
  if (session()) address_index_ = (address_index_ + 1) % Addresses().size();
}

int EmiTransport::NextTransaction(bool submit) {
  const TimePoint now = context().Loop().Now();
  // Answers are matched by operation too, so when every TRN is awaited one
  // awaited by another operation will do; the window holds at most 99.
  for (const bool any_operation : {false, true}) {
    for (int tried = 0; tried < kTransactions; ++tried) {
      const int trn = (next_transaction_ + tried) % kTransactions;
      if ((window() && window()->Holds(trn)) || (!any_operation && awaited_until_[trn] > now)) {
        continue;
      }
      next_transaction_ = (trn + 1) % kTransactions;
      if (!submit) awaited_until_[trn] = now + std::chrono::milliseconds(kAnswerMs);
      return trn;
    }
  }
  return next_transaction_;
}

void EmiTransport::OnData(const std::string& bytes) {
  last_traffic_ = context().Loop().Now();
  for (const std::string& text : reader_.Feed(bytes)) {
    // Anything but a sound frame is noise on the line.
    if (const std::optional<UcpFrame> frame = ReadEmiFrame(text)) Handle(*frame);
  }
}

void EmiTransport::Handle(const UcpFrame& frame) {
  const int trn = frame.transaction_reference;
  if (frame.result) {
    const std::optional<EmiResult> result = ReadResult(frame);
    if (!result) return;
    if (frame.operation == kOperationLogin) {
      awaited_until_[trn] = TimePoint{};
      if (login_trn_ == trn) OnLoginAnswer(*result);
    } else if (frame.operation == kOperationAlert) {
      awaited_until_[trn] = TimePoint{};
    } else if (frame.operation == SubmitOperation(Account()) && window()) {
      window()->Answered(trn, WindowAnswer(*result));
    }
    return;
  }
  if (frame.operation == kOperationAlert) {
    Write(ResultFrame(frame));
  } else if (frame.operation == kOperationNotification) {
    // Answered whatever it holds, or the centre sends it again and again.
    Write(ResultFrame(frame));
    if (const std::optional<EmiNotification> notification = ReadNotification(frame)) {
      ReceiptCame(notification->message_key, notification->outcome, notification->reason);
    }
  } else if (frame.operation == kOperationDeliver) {
    OnDeliver(frame);
  } else {
    Write(ResultFrame(frame, "03"));  // operation not supported
  }
}

void EmiTransport::OnLoginAnswer(const EmiResult& result) {
  login_trn_.reset();
  if (!result.positive) {
    LoginRefusedFor(EmiErrorText(result.error_code));
    return;
  }
  keepalive_seconds_ = ParseNumberIn(Account().Keepalive, 0, 3600).value_or(kDefaultKeepalive);
  LoggedIn();
}

void EmiTransport::OnDeliver(const UcpFrame& frame) {
  const std::optional<ReceivedPart> part =
      ReadDeliveredPart(frame, EmiAlphabetOf(Account().Alphabet));
  // One that cannot be read is answered all the same, or the centre sends it
  // again and again.
  const bool kept = !part || context().Receive(*part) != ReceiveOutcome::kNotKept;
  Write(kept ? ResultFrame(frame) : ResultFrame(frame, kNotNow));
}

std::vector<EmiTransport::Address> EmiTransport::Addresses() const {
  const EmiSettings& account = Account();
  std::vector<Address> addresses = {{account.Host, account.Port}};
  if (!account.AltHost.empty()) {
    addresses.push_back(
        {account.AltHost, account.AltPort.empty() ? account.Port : account.AltPort});
  }
  return addresses;
}

bool EmiTransport::ConnectTo(const Address& address, std::string& reason) {
  const std::optional<int> port = ParseProxyPort(address.port);
  if (!port) {
    reason = "The SMS centre's port is not a number from 1 to 65535: " + address.port;
    return false;
  }
  return Connect(address.host, *port, false, address.host + ":" + address.port, reason);
}

std::string EmiTransport::Open() {
  if (Account().Host.empty()) return kNoHost;
  const std::vector<Address> addresses = Addresses();
  std::string reason;
  for (size_t tried = 0; tried < addresses.size(); ++tried) {
    // A send that came while a Listen waited may have opened one itself.
    if (SessionHolds()) return {};
    const size_t index = (address_index_ + tried) % addresses.size();
    if (ConnectTo(addresses[index], reason)) {
      address_index_ = index;
      return AwaitLogin("The SMS centre did not answer the login within 30 seconds");
    }
    if (Stopped()) return kReceiptCancelled;
  }
  return reason;
}

void EmiTransport::WriteLogin() {
  next_transaction_ = 0;
  awaited_until_.fill(TimePoint{});
  login_trn_ = NextTransaction(false);
  Write(LoginFrame(*login_trn_, Account().User,
                   SecretStore(settings().ProgramFolder).ReadSecret(kEmiSecret)));
}

int EmiTransport::WindowSize() const {
  return ParseNumberIn(Account().Window, 1, kMaxWindow).value_or(kDefaultWindow);
}

WindowTiming EmiTransport::Timing() const {
  WindowTiming timing;
  timing.answer_ms = kAnswerMs;
  timing.longest_backoff_ms = kLongestBackoffMs;
  timing.retries = kTransientRetries;
  return timing;
}

int EmiTransport::SubmitPart(const std::string& part) {
  const int trn = NextTransaction(true);
  Write(RenumberUcpFrame(part, trn));
  return trn;
}

std::string EmiTransport::Fill(const SmsMessage& message, WindowedSending::Prepared& prepared) {
  const ProgramSettings& s = settings();
  const EmiSettings& account = Account();
  const SendState& sent = state();
  std::string refusal = SettingsRefusal(account, message, sent.message);
  EmiSubmit submit;
  submit.operation = SubmitOperation(account);
  submit.alphabet = EmiAlphabetOf(account.Alphabet);
  if (DialUp(account)) {
    // The dial-up form has no OTOA: the digits of Avs, as the modem sends them.
    submit.sender = sent.sender_number;
  } else if (const std::optional<SmsAddress> source = SenderAddress(s.Avs, "", refusal)) {
    submit.sender = source->value;
    submit.alphanumeric_sender = source->ton == 5;
  }
  submit.recipient = (sent.recipient_international ? "00" : "") + sent.recipient_number;
  if (refusal.empty() && sent.recipient_number.empty()) refusal = "Not sent: no number";
  // A message for later waits at the centre; its notification would come at
  // that time at the earliest, so none is asked for.
  if (DeliveryLater()) submit.delivery_time = sent.delivery_time;
  if (s.Validity > 0) {
    submit.validity =
        EmiTime(Clock::to_time_t(context().Loop().Now() + std::chrono::minutes(s.Validity)));
  }
  submit.notification = !sent.NoReceipt(s.EjKvittoOn) && submit.delivery_time.empty();
  prepared.wants_receipts = submit.notification;
  for (const SmsPart& part : message.parts) {
    if (!refusal.empty()) break;
    prepared.parts.push_back(SubmitFrame(0, submit, part, message.encoding).value_or(""));
  }
  return refusal;
}

std::string EmiTransport::UnansweredText() const { return kReceiptAnswerLost; }

bool EmiTransport::ResendUnanswered() const { return Account().ResendUnanswered == "1"; }

void EmiTransport::Logout() {
  const auto since = context().Loop().Now() - last_written_;
  if (tcp().IsOpen() && since < std::chrono::milliseconds(kLingerMs)) {
    WaitFor(context().Loop(),
            static_cast<int>(kLingerMs -
                             std::chrono::duration_cast<std::chrono::milliseconds>(since).count()));
  }
}

}  // namespace tolvane
