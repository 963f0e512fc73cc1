#include "smpp/smpp_transport.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "core/delivery_time.h"
#include "core/part_receipts.h"
#include "core/receipt_texts.h"
#include "core/secret_names.h"
#include "core/secret_store.h"
#include "core/submit_window.h"
#include "core/windowed_sending.h"
#include "smpp/smpp_commands.h"
#include "smpp/smpp_pdu.h"
#include "smpp/smpp_pdu_reader.h"
#include "smpp/smpp_receipt.h"
#include "smpp/smpp_status.h"
#include "smpp/smpp_time.h"
#include "sms/file_reference_counter.h"
#include "sms/no_references.h"
#include "sms/sms_message.h"
#include "text/utf8.h"
#include "text/whole_number.h"

namespace tolvane {
namespace {

constexpr int kConnectMs = 30000;
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

constexpr char kNoHost[] = "No SMPP provider is set: [SMPP] Host in tolvmsg.ini";
// A number that starts with it is international: TON 1 without it.
constexpr char kInternationalPrefix[] = "00";
constexpr int kLinkAnswerMs = 30000;

std::optional<int> PortOf(const ProgramSettings& settings) {
  return ParseNumberIn(settings.SmppPort, 1, 65535);
}

int DefaultAlphabetOf(const ProgramSettings& settings) {
  return ParseNumberIn(settings.SmppDefaultAlphabet, 0, 255).value_or(kDataCodingDefault);
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
  const int alphabet = DefaultAlphabetOf(settings);
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

struct SmppTransport::Impl : WindowedSending::Session {
  enum class Outcome { kAnswered, kNoAnswer, kBroken, kStopped };
  struct Reply {
    Outcome outcome = Outcome::kNoAnswer;
    SmppPdu pdu;
  };

  Impl(SendContext& send_context, TcpConnection& connection, FileSystem& file_system)
      : context(send_context),
        tcp(connection),
        files(file_system),
        state(send_context.State()),
        settings(send_context.Settings()),
        link_timer(send_context.Loop().CreateTimer()),
        sending(send_context, *this) {
    link_timer->SetInterval(1000);
    link_timer->SetCallback([this] { CheckLink(); });
    tcp.SetOnConnected([this] { connected = true; });
    tcp.SetOnData([this](const std::string& bytes) { OnData(bytes); });
    tcp.SetOnClosed([this](const std::string& reason) { broken = reason; });
  }
  ~Impl() override {
    tcp.SetOnConnected(nullptr);
    tcp.SetOnData(nullptr);
    tcp.SetOnClosed(nullptr);
  }

  void OnData(const std::string& bytes);
  void Handle(const SmppPdu& pdu);
  void OnDeliverSm(const SmppPdu& pdu);
  void Write(const SmppPdu& pdu) { tcp.Write(EncodePdu(pdu)); }
  uint32_t NextSequence() {
    const uint32_t sequence = next_sequence;
    next_sequence = next_sequence == kLastSequence ? 1 : next_sequence + 1;
    return sequence;
  }
  // Sends an enquire_link after `EnquireLink` seconds of silence from the
  // provider. Its answer is due within 30 seconds: a connection whose far
  // end went away without closing it would otherwise hold the send until
  // its receipt time ran out.
  void CheckLink() {
    const TimePoint now = context.Loop().Now();
    if (link_sequence != 0) {
      if (now >= link_deadline && broken.empty()) {
        broken = "The SMPP provider did not answer enquire_link within 30 seconds";
        tcp.Close();
      }
      return;
    }
    if (awaited == 0 && session && tcp.IsOpen() && link_seconds > 0 &&
        now - last_heard >= std::chrono::seconds(link_seconds)) {
      last_heard = now;
      link_sequence = NextSequence();
      link_deadline = now + std::chrono::milliseconds(kLinkAnswerMs);
      Write({kEnquireLink, 0, link_sequence, ""});
    }
  }

  // Processes events until `done`, the time-out, a broken connection or
  // (with `stoppable`) Cancel or the end of the send; true when `done`.
  bool Wait(int timeout_ms, const std::function<bool()>& done, bool stoppable);
  Reply Request(uint32_t command, const std::string& body, bool stoppable);
  bool Stopped() const { return state.cancelled || state.finished; }

  SubmitWindow* window() const { return sending.Window(); }

  // The connection made and bound.
  bool Start() override;
  std::unique_ptr<SubmitWindow> MakeWindow() override;
  std::optional<WindowedSending::Prepared> Prepare() override;
  void Close() override;
  const std::string& Broken() const override { return broken; }
  bool LoginRefused() const override { return login_refused; }
  // What is not SMPP may have been anything, an acceptance too.
  std::string UnansweredText() const override {
    return unreadable ? "Unknown: " + broken : std::string(kReceiptAnswerLost);
  }
  bool ResendUnanswered() const override { return settings.SmppResendUnanswered == "1"; }
  std::string FarEnd() const override { return "the SMPP provider"; }

  SendContext& context;
  TcpConnection& tcp;
  FileSystem& files;
  SendState& state;
  const ProgramSettings& settings;
  std::unique_ptr<Timer> link_timer;
  SmppPduReader reader;
  bool connected = false;
  // Bound, from the bind's answer to the hang-up.
  bool session = false;
  // The provider refused the last bind: not tried again in this send.
  bool login_refused = false;
  // Why the connection ended; empty while it holds.
  std::string broken;
  // It ended on bytes that are not SMPP.
  bool unreadable = false;
  int link_seconds = 30;
  TimePoint last_heard;
  // Our enquire_link whose answer is awaited, and until when.
  uint32_t link_sequence = 0;
  TimePoint link_deadline;
  uint32_t next_sequence = 1;
  // The sequence number of the bind or unbind whose answer is awaited.
  uint32_t awaited = 0;
  std::optional<SmppPdu> answer;
  WindowedSending sending;
};

void SmppTransport::Impl::OnData(const std::string& bytes) {
  last_heard = context.Loop().Now();
  for (const SmppPdu& pdu : reader.Feed(bytes)) Handle(pdu);
  if (!reader.Error().empty() && broken.empty()) {
    broken = "The SMPP provider sent what is not SMPP (" + reader.Error() + ")";
    unreadable = true;
    tcp.Close();
  }
}

void SmppTransport::Impl::Handle(const SmppPdu& pdu) {
  if (pdu.command & kResponseBit || pdu.command == kGenericNack) {
    if (awaited != 0 && pdu.sequence == awaited) {
      answer = pdu;
    } else if (link_sequence != 0 && pdu.sequence == link_sequence) {
      link_sequence = 0;
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
      if (broken.empty()) broken = "The SMPP provider ended the session";
      return;
    default:
      Write({kGenericNack, kStatusInvalidCommand, pdu.sequence, ""});
  }
}

void SmppTransport::Impl::OnDeliverSm(const SmppPdu& pdu) {
  // Answered whatever it holds, or the provider sends it again and again.
  Write({kDeliverSm | kResponseBit, kStatusOk, pdu.sequence, DeliverSmRespBody()});
  const std::optional<DeliverSm> deliver = ReadDeliverSm(pdu.body);
  if (!deliver) return;
  if (deliver->IsMessage()) {
    const SmsAddress& from = deliver->source;
    context.LogReceived((from.ton == 1 ? "+" : "") + from.value, DeliverSmText(*deliver));
    return;
  }
  const std::optional<SmppReceipt> receipt = ReadSmppReceipt(*deliver);
  if (receipt && window())
    window()->Receipt(receipt->message_id, receipt->state, receipt->state_name);
}

bool SmppTransport::Impl::Wait(int timeout_ms, const std::function<bool()>& done, bool stoppable) {
  WaitFor(context.Loop(), timeout_ms,
          [&] { return done() || !broken.empty() || (stoppable && Stopped()); });
  return done();
}

SmppTransport::Impl::Reply SmppTransport::Impl::Request(uint32_t command, const std::string& body,
                                                        bool stoppable) {
  if (!broken.empty()) return {Outcome::kBroken, {}};
  answer.reset();
  awaited = NextSequence();
  Write({command, kStatusOk, awaited, body});
  const bool answered = Wait(
      kAnswerMs, [this] { return answer.has_value(); }, stoppable);
  awaited = 0;
  if (answered) return {Outcome::kAnswered, *answer};
  if (!broken.empty()) return {Outcome::kBroken, {}};
  return {stoppable && Stopped() ? Outcome::kStopped : Outcome::kNoAnswer, {}};
}

void SmppTransport::Impl::Close() {
  link_timer->Stop();
  link_sequence = 0;
  session = false;
  if (window()) window()->SetOpen(false);
  tcp.Close();
}

bool SmppTransport::Impl::Start() {
  state.attempted = true;
  if (session && tcp.IsOpen() && broken.empty()) return true;
  auto fail = [this](const std::string& text) {
    Close();
    context.SetReceiptLine(text);
    state.init_failed = true;
    return false;
  };
  login_refused = false;
  if (settings.SmppHost.empty()) return fail(kNoHost);
  const std::optional<int> port = PortOf(settings);
  if (!port) return fail("The SMPP port is not a number from 1 to 65535: " + settings.SmppPort);
  // A sender no submit could carry: nothing to bind for.
  std::string refusal;
  if (!SenderOf(settings, refusal)) return fail(refusal);
  const std::string address = settings.SmppHost + ":" + settings.SmppPort;
  context.SetStatusLine("Connecting to " + address + "...");
  Close();
  reader = SmppPduReader();
  broken.clear();
  unreadable = false;
  connected = false;
  tcp.Connect(settings.SmppHost, *port, settings.SmppTls == "1");
  if (!Wait(
          kConnectMs, [this] { return connected; }, true)) {
    if (state.cancelled) return fail(kReceiptCancelled);
    return fail(broken.empty() ? "The SMPP provider cannot be reached at " + address +
                                     ": no connection within 30 seconds"
                               : "The SMPP provider cannot be reached: " + broken);
  }
  context.SetStatusLine("Logging in to " + address + "...");
  const std::string password = SecretStore(settings.ProgramFolder).ReadSecret(kSmppSecret);
  const Reply reply =
      Request(kBindTransceiver,
              BindTransceiverBody(settings.SmppSystemId, password, settings.SmppSystemType), true);
  switch (reply.outcome) {
    case Outcome::kStopped:
      return fail(kReceiptCancelled);
    case Outcome::kBroken:
      return fail("No login at the SMPP provider: " + broken);
    case Outcome::kNoAnswer:
      return fail("The SMPP provider did not answer the login");
    case Outcome::kAnswered:
      break;
  }
  if (reply.pdu.status != kStatusOk) {
    login_refused = true;
    return fail("Login refused: " + SmppStatusText(reply.pdu.status));
  }
  session = true;
  link_seconds = ParseNumberIn(settings.SmppEnquireLink, 0, 3600).value_or(30);
  last_heard = context.Loop().Now();
  link_timer->Start();
  context.SetStatusLine("Logged in to " + address);
  if (window()) window()->SetOpen(true);
  return true;
}

std::unique_ptr<SubmitWindow> SmppTransport::Impl::MakeWindow() {
  WindowTiming timing;
  timing.answer_ms = kAnswerMs;
  timing.longest_backoff_ms = kLongestBackoffMs;
  timing.retries = kThrottleRetries;
  const int size = ParseNumberIn(settings.SmppWindow, 1, kMaxWindow).value_or(kDefaultWindow);
  auto window =
      std::make_unique<SubmitWindow>(context, size, timing, [this](const std::string& part) {
        const uint32_t sequence = NextSequence();
        Write({kSubmitSm, kStatusOk, sequence, part});
        return static_cast<int>(sequence);
      });
  window->SetOpen(session && tcp.IsOpen() && broken.empty());
  return window;
}

std::optional<WindowedSending::Prepared> SmppTransport::Impl::Prepare() {
  FileReferenceCounter references(files, settings.ProgramFolder);
  const SmsMessage message = PrepareMessage(context.MessageText(), settings.MaxParts, references);
  state.message = context.MessageText();
  std::string refusal = message.error;
  const std::optional<SmsAddress> source = SenderOf(settings, refusal);
  const std::optional<SmsAddress> destination = RecipientAddress(
      (state.recipient_international ? "+" : "") + state.recipient_number, kInternationalPrefix);
  if (refusal.empty() && !destination) refusal = "Not sent: the number has too many digits";
  // A message sent for later waits at the provider; its receipt comes at
  // that time at the earliest, so the send ends with the answer.
  std::string scheduled;
  if (state.deferred) {
    const std::optional<TimePoint> at = DeliveryTimePoint(state.delivery_time);
    if (at && *at > context.Loop().Now()) scheduled = SmppAbsoluteTime(Clock::to_time_t(*at));
  }
  WindowedSending::Prepared prepared;
  prepared.wants_receipts = !settings.EjKvittoOn && scheduled.empty();
  for (const SmsPart& part : message.parts) {
    if (!refusal.empty()) break;
    std::optional<SubmitSm> submit =
        PartSubmit(part, message.encoding, DefaultAlphabetOf(settings));
    if (!submit) {
      refusal = AlphabetRefusal(context.MessageText());
      break;
    }
    submit->source = *source;
    submit->destination = *destination;
    submit->schedule_delivery_time = scheduled;
    submit->registered_delivery = !settings.EjKvittoOn;
    if (settings.Validity > 0) submit->validity_period = SmppRelativeTime(settings.Validity);
    prepared.parts.push_back(SubmitSmBody(*submit));
  }
  if (!refusal.empty()) {
    state.attempted = true;
    FinishSend(context, refusal);
    return std::nullopt;
  }
  return prepared;
}

SmppTransport::SmppTransport(SendContext& context, TcpConnection& connection, FileSystem& files)
    : impl_(std::make_unique<Impl>(context, connection, files)) {}

SmppTransport::~SmppTransport() = default;

void SmppTransport::Configure(const std::function<void(int error_number)>& report_error) {
  if (!PortOf(impl_->settings) && report_error) report_error(kErrorInvalidPropertyValue);
}

std::string SmppTransport::RefusalOf(std::string_view text) const {
  NoReferences references;
  const SmsMessage message = PrepareMessage(text, impl_->settings.MaxParts, references);
  if (!message.error.empty()) return message.error;
  const int alphabet = DefaultAlphabetOf(impl_->settings);
  for (const SmsPart& part : message.parts) {
    if (!PartSubmit(part, message.encoding, alphabet)) return AlphabetRefusal(text);
  }
  return {};
}

void SmppTransport::SendSingle() { impl_->sending.SendSingle(); }

void SmppTransport::SendDouble() {
  SendSingle();
  if (!impl_->state.ended) impl_->context.EndSend();
}

bool SmppTransport::OpenRun() { return impl_->sending.OpenRun(); }

bool SmppTransport::SendMember(int /*following*/) { return impl_->sending.SendMember(); }

void SmppTransport::CloseRun(bool interrupted) { impl_->sending.CloseRun(interrupted); }

// A session the provider ended by unbinding counts as lost too: no receipt
// comes over it any more.
bool SmppTransport::ConnectionLost() const {
  return impl_->session && (!impl_->tcp.IsOpen() || !impl_->broken.empty());
}

bool SmppTransport::LineHeld() const { return impl_->tcp.IsOpen(); }

void SmppTransport::HangUp() {
  Impl& m = *impl_;
  if (m.session && m.tcp.IsOpen() && m.broken.empty()) {
    // The provider answers once the answers still under way have gone out.
    m.answer.reset();
    m.awaited = m.NextSequence();
    m.Write({kUnbind, kStatusOk, m.awaited, ""});
    m.Wait(
        kUnbindMs, [&m] { return m.answer.has_value(); }, false);
    m.awaited = 0;
  }
  m.Close();
  m.sending.Reset();
}

}  // namespace tolvane
