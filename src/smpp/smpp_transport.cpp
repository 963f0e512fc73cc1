#include "smpp/smpp_transport.h"

#include <chrono>

#include "core/receipt_texts.h"
#include "core/secret_store.h"
#include "smpp/smpp_commands.h"
#include "smpp/smpp_receipt.h"
#include "smpp/smpp_settings.h"
#include "smpp/smpp_status.h"
#include "smpp/smpp_time.h"
#include "text/utf8.h"
#include "text/whole_number.h"

namespace tolvane {
namespace {

constexpr int kAnswerMs = 30000;
constexpr int kUnbindMs = 5000;
constexpr int kLongestBackoffMs = 30000;
constexpr int kDefaultWindow = 10;
constexpr int kMaxWindow = 100;
// 1, 2, 4, 8, 16 and then 30 seconds: about four minutes of a throttling
// provider before the part is given up.
constexpr int kThrottleRetries = 10;
constexpr uint32_t kLastSequence = 0x7FFFFFFF;
constexpr uint32_t kStatusInvalidCommand = 0x03;
// ESME_RX_T_APPN: the message could not be kept now; the provider delivers
// it again later.
constexpr uint32_t kStatusKeepLater = 0x64;

constexpr char kNoHost[] = "No SMPP provider is set: [SMPP] Host in tolvmsg.ini";
constexpr int kLinkAnswerMs = 30000;

std::optional<int> PortOf(const SmppSettings& account) {
  return ParseNumberIn(account.Port, 1, 65535);
}

int DefaultAlphabetOf(const SmppSettings& account) {
  return ParseNumberIn(account.DefaultAlphabet, 0, 255).value_or(kDataCodingDefault);
}

// Why the provider's Latin-1 alphabet cannot carry the text: its first
// character beyond Latin-1 (the GSM alphabet's euro sign and Greek capitals).
std::string AlphabetRefusal(std::string_view text) {
  for (char32_t c : DecodeUtf8(text)) {
    if (c > 0xFF) {
      return "The provider's alphabet (DefaultAlphabet 3, Latin-1) cannot carry the character " +
             CharacterText(c);
    }
  }
  return "The provider's alphabet (DefaultAlphabet 3, Latin-1) cannot carry the text";
}

// The sender (`Avs`) as the submits carry it; nothing, with `refusal`
// saying why, when it is no number and no name the provider's alphabet
// carries.
std::optional<SmsAddress> SenderOf(const ProgramSettings& settings, std::string& refusal) {
  const std::optional<SmsAddress> sender =
      SenderAddress(settings.Avs, kInternationalPrefix, refusal);
  if (!sender) return std::nullopt;
  const int alphabet = DefaultAlphabetOf(settings.transports.Get<SmppSettings>());
  if (auto encoded = InProviderAlphabet(*sender, alphabet)) return encoded;
  refusal = "The sender name \"" + settings.Avs +
            "\" must be at most 11 characters of the provider's alphabet " +
            (alphabet == kDataCodingLatin1
                 ? "(DefaultAlphabet 3, Latin-1)"
                 : "(DefaultAlphabet 0, GSM: € [ ] { } | ^ ~ \\ count as two, @ cannot be sent)");
  return std::nullopt;
}

// What the window makes of a submit's answer.
PartAnswer SubmitAnswer(const SmppPdu& pdu) {
  if (pdu.command != kGenericNack && pdu.status == kStatusOk) {
    return {PartAnswer::Kind::kAccepted, ReadIdBody(pdu.body).value_or(""), ""};
  }
  const std::string text = "Not sent: " + SmppStatusText(pdu.status);
  return {IsThrottling(pdu.status) ? PartAnswer::Kind::kRetry : PartAnswer::Kind::kRefused, "",
          text};
}

}  // namespace

SmppTransport::SmppTransport(SendContext& context, TcpConnection& connection, FileSystem& files)
    : WindowedTcpTransport(context, connection, files) {}

std::optional<int> SmppTransport::ConfiguredPort() const { return PortOf(Account()); }

std::string SmppTransport::RefusalFor(const SmsMessage& message, std::string_view text) const {
  if (!message.error.empty()) return message.error;
  const int alphabet = DefaultAlphabetOf(Account());
  for (const SmsPart& part : message.parts) {
    if (!PartSubmit(part, message.encoding, alphabet)) return AlphabetRefusal(text);
  }
  return {};
}

void SmppTransport::Write(const SmppPdu& pdu) { tcp().Write(EncodePdu(pdu)); }

uint32_t SmppTransport::NextSequence() {
  const uint32_t sequence = next_sequence_;
  next_sequence_ = next_sequence_ == kLastSequence ? 1 : next_sequence_ + 1;
  return sequence;
}

void SmppTransport::CheckLink() {
  const TimePoint now = context().Loop().Now();
  if (link_sequence_ != 0) {
    if (now >= link_deadline_ &&
        Break("The SMPP provider did not answer enquire_link within 30 seconds")) {
      tcp().Close();
    }
    return;
  }
  if (awaited_ == 0 && session() && tcp().IsOpen() && link_seconds_ > 0 &&
      now - last_heard_ >= std::chrono::seconds(link_seconds_)) {
    last_heard_ = now;
    link_sequence_ = NextSequence();
    link_deadline_ = now + std::chrono::milliseconds(kLinkAnswerMs);
    Write({kEnquireLink, 0, link_sequence_, ""});
  }
}

void SmppTransport::ResetReader() {
  reader_ = SmppPduReader();
  unreadable_ = false;
}

void SmppTransport::OnData(const std::string& bytes) {
  last_heard_ = context().Loop().Now();
  for (const SmppPdu& pdu : reader_.Feed(bytes)) Handle(pdu);
  if (!reader_.Error().empty() &&
      Break("The SMPP provider sent what is not SMPP (" + reader_.Error() + ")")) {
    unreadable_ = true;
    tcp().Close();
  }
}

void SmppTransport::Handle(const SmppPdu& pdu) {
  if (pdu.command & kResponseBit || pdu.command == kGenericNack) {
    if (login_sequence_ != 0 && pdu.sequence == login_sequence_) {
      OnBindAnswer(pdu);
    } else if (awaited_ != 0 && pdu.sequence == awaited_) {
      answer_ = pdu;
    } else if (link_sequence_ != 0 && pdu.sequence == link_sequence_) {
      link_sequence_ = 0;
    } else if (window() &&
               (pdu.command == (kSubmitSm | kResponseBit) || pdu.command == kGenericNack)) {
      window()->Answered(static_cast<int>(pdu.sequence), SubmitAnswer(pdu));
    }
    return;
  }
  switch (pdu.command) {
    case kEnquireLink:
      Write({kEnquireLink | kResponseBit, kStatusOk, pdu.sequence, ""});
      return;
    case kDeliverSm:
      OnDeliverSm(pdu);
      return;
    case kUnbind:
      Write({kUnbind | kResponseBit, kStatusOk, pdu.sequence, ""});
      Break("The SMPP provider ended the session");
      return;
    default:
      Write({kGenericNack, kStatusInvalidCommand, pdu.sequence, ""});
  }
}

void SmppTransport::OnBindAnswer(const SmppPdu& pdu) {
  login_sequence_ = 0;
  if (pdu.status != kStatusOk) {
    LoginRefusedFor(SmppStatusText(pdu.status));
    return;
  }
  link_seconds_ = ParseNumberIn(Account().EnquireLink, 0, 3600).value_or(30);
  last_heard_ = context().Loop().Now();
  LoggedIn();
}

void SmppTransport::OnDeliverSm(const SmppPdu& pdu) {
  const std::optional<DeliverSm> deliver = ReadDeliverSm(pdu.body);
  uint32_t status = kStatusOk;
  if (deliver && deliver->IsMessage()) {
    const std::optional<ReceivedPart> part =
        ReceivedFromDeliverSm(*deliver, DefaultAlphabetOf(Account()));
    if (part && context().Receive(*part) == ReceiveOutcome::kNotKept) status = kStatusKeepLater;
  }
  // Anything else is answered whatever it holds, or the provider sends it
  // again and again.
  Write({kDeliverSm | kResponseBit, status, pdu.sequence, DeliverSmRespBody()});
  if (!deliver || deliver->IsMessage()) return;
  if (const std::optional<SmppReceipt> receipt = ReadSmppReceipt(*deliver)) {
    ReceiptCame(receipt->message_id, receipt->state, receipt->state_name);
  }
}

void SmppTransport::Close() {
  link_sequence_ = 0;
  login_sequence_ = 0;
  WindowedTcpTransport::Close();
}

void SmppTransport::WriteLogin() {
  const SmppSettings& account = Account();
  login_sequence_ = NextSequence();
  Write({kBindTransceiver, kStatusOk, login_sequence_,
         BindTransceiverBody(account.SystemId,
                             SecretStore(settings().ProgramFolder).ReadSecret(kSmppSecret),
                             account.SystemType)});
}

std::string SmppTransport::Open() {
  const ProgramSettings& s = settings();
  const SmppSettings& account = Account();
  if (account.Host.empty()) return kNoHost;
  const std::optional<int> port = PortOf(account);
  if (!port) return "The SMPP port is not a number from 1 to 65535: " + account.Port;
  // A sender no submit could carry: nothing for a send to bind for (the
  // session for receiving needs none).
  std::string refusal;
  if (state().sending && !SenderOf(s, refusal)) return refusal;
  const std::string address = account.Host + ":" + account.Port;
  std::string reason;
  if (!Connect(account.Host, *port, account.Tls == "1", address, reason)) {
    return Stopped() ? kReceiptCancelled : reason;
  }
  return AwaitLogin("The SMPP provider did not answer the login");
}

int SmppTransport::WindowSize() const {
  return ParseNumberIn(Account().Window, 1, kMaxWindow).value_or(kDefaultWindow);
}

WindowTiming SmppTransport::Timing() const {
  WindowTiming timing;
  timing.answer_ms = kAnswerMs;
  timing.longest_backoff_ms = kLongestBackoffMs;
  timing.retries = kThrottleRetries;
  return timing;
}

int SmppTransport::SubmitPart(const std::string& part) {
  const uint32_t sequence = NextSequence();
  Write({kSubmitSm, kStatusOk, sequence, part});
  return static_cast<int>(sequence);
}

std::string SmppTransport::Fill(const SmsMessage& message, WindowedSending::Prepared& prepared) {
  const ProgramSettings& s = settings();
  std::string refusal = message.error;
  const std::optional<SmsAddress> source = SenderOf(s, refusal);
  const std::optional<SmsAddress> destination =
      RecipientAddress((state().recipient_international ? "+" : "") + state().recipient_number,
                       kInternationalPrefix);
  if (refusal.empty() && !destination) refusal = "Not sent: the number has too many digits";
  // A message sent for later waits at the provider; its receipt comes at
  // that time at the earliest, so the send ends with the answer.
  std::string scheduled;
  if (const std::optional<TimePoint> at = DeliveryLater()) {
    scheduled = SmppAbsoluteTime(Clock::to_time_t(*at));
  }
  const bool receipts = !state().NoReceipt(s.EjKvittoOn);
  prepared.wants_receipts = receipts && scheduled.empty();
  for (const SmsPart& part : message.parts) {
    if (!refusal.empty()) break;
    std::optional<SubmitSm> submit =
        PartSubmit(part, message.encoding, DefaultAlphabetOf(Account()));
    if (!submit) {
      refusal = AlphabetRefusal(state().message);
      break;
    }
    submit->source = *source;
    submit->destination = *destination;
    submit->schedule_delivery_time = scheduled;
    submit->registered_delivery = receipts;
    if (s.Validity > 0) submit->validity_period = SmppRelativeTime(s.Validity);
    prepared.parts.push_back(SubmitSmBody(*submit));
  }
  return refusal;
}

std::string SmppTransport::UnansweredText() const {
  return unreadable_ ? "Unknown: " + Broken() : std::string(kReceiptAnswerLost);
}

bool SmppTransport::ResendUnanswered() const { return Account().ResendUnanswered == "1"; }

void SmppTransport::Logout() {
  if (!SessionHolds()) return;
  // The provider answers once the answers still under way have gone out.
  answer_.reset();
  awaited_ = NextSequence();
  Write({kUnbind, kStatusOk, awaited_, ""});
  Wait(
      kUnbindMs, [this] { return answer_.has_value(); }, false);
  awaited_ = 0;
}

}  // namespace tolvane
