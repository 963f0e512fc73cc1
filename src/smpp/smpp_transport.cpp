#include "smpp/smpp_transport.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>
#include <vector>

#include "core/delivery_time.h"
#include "core/part_receipts.h"
#include "core/receipt_texts.h"
#include "core/secret_names.h"
#include "core/secret_store.h"
#include "core/utf8.h"
#include "smpp/smpp_commands.h"
#include "smpp/smpp_pdu.h"
#include "smpp/smpp_pdu_reader.h"
#include "smpp/smpp_receipt.h"
#include "smpp/smpp_status.h"
#include "smpp/smpp_time.h"
#include "sms/file_reference_counter.h"
#include "sms/no_references.h"
#include "sms/sms_message.h"

namespace tolvane {
namespace {

constexpr int kConnectMs = 30000;
constexpr int kAnswerMs = 30000;
constexpr int kUnbindMs = 5000;
constexpr int kFirstBackoffMs = 1000;
constexpr int kLongestBackoffMs = 30000;
// 1, 2, 4, 8, 16 and then 30 seconds: about four minutes of a throttling
// provider before the part is given up.
constexpr int kThrottleRetries = 10;
constexpr uint32_t kLastSequence = 0x7FFFFFFF;
constexpr uint32_t kStatusInvalidCommand = 0x03;

constexpr char kNoHost[] = "No SMPP provider is set: [SMPP] Host in tolvmsg.ini";

// The whole text as a number from `low` to `high`.
std::optional<int> Number(const std::string& text, int low, int high) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

std::optional<int> PortOf(const ProgramSettings& settings) {
  return Number(settings.SmppPort, 1, 65535);
}

int DefaultAlphabetOf(const ProgramSettings& settings) {
  return Number(settings.SmppDefaultAlphabet, 0, 255).value_or(kDataCodingDefault);
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

}  // namespace

struct SmppTransport::Impl {
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
        wait_timer(send_context.Loop().CreateTimer()),
        link_timer(send_context.Loop().CreateTimer()) {
    wait_timer->SetSingleShot(true);
    wait_timer->SetCallback([this] { wait_over = true; });
    link_timer->SetCallback([this] { CheckLink(); });
    tcp.SetOnConnected([this] { connected = true; });
    tcp.SetOnData([this](const std::string& bytes) { OnData(bytes); });
    tcp.SetOnClosed([this](const std::string& reason) { broken = reason; });
  }
  ~Impl() {
    tcp.SetOnConnected(nullptr);
    tcp.SetOnData(nullptr);
    tcp.SetOnClosed(nullptr);
  }

  void OnData(const std::string& bytes);
  void Handle(const SmppPdu& pdu);
  void Write(const SmppPdu& pdu) { tcp.Write(EncodePdu(pdu)); }
  uint32_t NextSequence() {
    const uint32_t sequence = next_sequence;
    next_sequence = next_sequence == kLastSequence ? 1 : next_sequence + 1;
    return sequence;
  }
  // Sends an enquire_link when the line has been quiet; its answer is not
  // awaited, a dead connection shows itself by closing.
  void CheckLink() {
    if (awaited == 0 && session && tcp.IsOpen()) Write({kEnquireLink, 0, NextSequence(), ""});
  }

  // Processes events until `done`, the time-out, a broken connection or
  // (with `stoppable`) Cancel or the end of the send; true when `done`.
  bool Wait(int timeout_ms, const std::function<bool()>& done, bool stoppable);
  Reply Request(uint32_t command, const std::string& body, bool stoppable);
  bool Stopped() const { return state.cancelled || state.finished; }
  // Why a wait ended without its answer, on the receipt line.
  void ReportStop() {
    if (state.cancelled) context.SetReceiptLine(kReceiptCancelled);
    // A finished send has its text already (the receipt watchdog's).
  }

  // The connection made and bound; false with the reason shown.
  bool Start();
  // The submits of the message box to the current recipient; nothing, with
  // the send ended, when it cannot go.
  std::optional<std::vector<SubmitSm>> Prepare();
  // Sends them and ends the send; false when the run cannot go on.
  bool SendCurrent(const std::vector<SubmitSm>& submits);
  // The part's message id, or nothing with the reason shown.
  std::optional<std::string> SendPart(const SubmitSm& submit, const std::string& label);
  // Waits for the receipts of every part; false when stopped first.
  bool AwaitReceipts(std::vector<std::string> ids);
  void Close();

  SendContext& context;
  TcpConnection& tcp;
  FileSystem& files;
  SendState& state;
  const ProgramSettings& settings;
  std::unique_ptr<Timer> wait_timer;
  std::unique_ptr<Timer> link_timer;
  bool wait_over = false;
  SmppPduReader reader;
  bool connected = false;
  // Bound, from the bind's answer to the hang-up.
  bool session = false;
  // Why the connection ended; empty while it holds.
  std::string broken;
  // It ended on bytes that are not SMPP.
  bool unreadable = false;
  uint32_t next_sequence = 1;
  // The sequence number whose answer is awaited, 0 for none.
  uint32_t awaited = 0;
  std::optional<SmppPdu> answer;
  std::vector<SmppReceipt> receipts;
};

void SmppTransport::Impl::OnData(const std::string& bytes) {
  for (const SmppPdu& pdu : reader.Feed(bytes)) Handle(pdu);
  if (!reader.Error().empty() && broken.empty()) {
    broken = "The SMPP provider sent what is not SMPP (" + reader.Error() + ")";
    unreadable = true;
    tcp.Close();
  }
}

void SmppTransport::Impl::Handle(const SmppPdu& pdu) {
  if (pdu.command & kResponseBit) {
    if (awaited != 0 && pdu.sequence == awaited) answer = pdu;
    return;
  }
  switch (pdu.command) {
    case kEnquireLink:
      Write({kEnquireLink | kResponseBit, kStatusOk, pdu.sequence, ""});
      return;
    case kDeliverSm:
      // Answered whatever it holds, or the provider sends it again and again.
      Write({kDeliverSm | kResponseBit, kStatusOk, pdu.sequence, DeliverSmRespBody()});
      if (std::optional<DeliverSm> deliver = ReadDeliverSm(pdu.body)) {
        if (std::optional<SmppReceipt> receipt = ReadSmppReceipt(*deliver)) {
          receipts.push_back(*receipt);
        }
      }
      return;
    case kUnbind:
      Write({kUnbind | kResponseBit, kStatusOk, pdu.sequence, ""});
      if (broken.empty()) broken = "The SMPP provider ended the session";
      return;
    default:
      Write({kGenericNack, kStatusInvalidCommand, pdu.sequence, ""});
  }
}

bool SmppTransport::Impl::Wait(int timeout_ms, const std::function<bool()>& done, bool stoppable) {
  wait_over = false;
  wait_timer->SetInterval(timeout_ms);
  wait_timer->Start();
  WaitUntil(context.Loop(),
            [&] { return done() || wait_over || !broken.empty() || (stoppable && Stopped()); });
  wait_timer->Stop();
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
  session = false;
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
  if (settings.SmppHost.empty()) return fail(kNoHost);
  const std::optional<int> port = PortOf(settings);
  if (!port) return fail("The SMPP port is not a number from 1 to 65535: " + settings.SmppPort);
  const std::string address = settings.SmppHost + ":" + settings.SmppPort;
  context.SetStatusLine("Connecting to " + address + "...");
  Close();
  reader = SmppPduReader();
  receipts.clear();
  broken.clear();
  unreadable = false;
  connected = false;
  tcp.Connect(settings.SmppHost, *port, settings.SmppTls == "1");
  if (!Wait(
          kConnectMs, [this] { return connected; }, true)) {
    if (state.cancelled) return fail(kReceiptCancelled);
    return fail("The SMPP provider cannot be reached at " + address + ": " +
                (broken.empty() ? "no connection within 30 seconds" : broken));
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
  if (reply.pdu.status != kStatusOk)
    return fail("Login refused: " + SmppStatusText(reply.pdu.status));
  session = true;
  const int link_seconds = Number(settings.SmppEnquireLink, 0, 3600).value_or(30);
  if (link_seconds > 0) {
    link_timer->SetInterval(link_seconds * 1000);
    link_timer->Start();
  }
  context.SetStatusLine("Logged in to " + address);
  return true;
}

std::optional<std::vector<SubmitSm>> SmppTransport::Impl::Prepare() {
  FileReferenceCounter references(files, settings.ProgramFolder);
  const SmsMessage message = PrepareMessage(context.MessageText(), settings.MaxParts, references);
  state.message = context.MessageText();
  std::string refusal = message.error;
  const std::optional<SmppAddress> source = SenderAddress(settings.Avs, "", refusal);
  const std::optional<SmppAddress> destination =
      RecipientAddress((state.recipient_international ? "+" : "") + state.recipient_number, "");
  if (refusal.empty() && !destination) refusal = "Not sent: the number has too many digits";
  // A message sent for later waits at the provider; its receipt would come
  // at that time at the earliest, so none is asked for.
  std::string scheduled;
  if (state.deferred) {
    const std::optional<TimePoint> at = DeliveryTimePoint(state.delivery_time);
    if (at && *at > context.Loop().Now()) scheduled = SmppAbsoluteTime(Clock::to_time_t(*at));
  }
  std::vector<SubmitSm> submits;
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
    submit->registered_delivery = !settings.EjKvittoOn && scheduled.empty();
    if (settings.Validity > 0) submit->validity_period = SmppRelativeTime(settings.Validity);
    submits.push_back(std::move(*submit));
  }
  if (!refusal.empty()) {
    state.attempted = true;
    FinishSend(context, refusal);
    return std::nullopt;
  }
  return submits;
}

std::optional<std::string> SmppTransport::Impl::SendPart(const SubmitSm& submit,
                                                         const std::string& label) {
  const std::string body = SubmitSmBody(submit);
  const bool resend_unanswered = settings.SmppResendUnanswered == "1";
  bool resent = false;
  int pause_ms = kFirstBackoffMs;
  for (int retry = 0;; ++retry) {
    if (!broken.empty()) {
      context.SetReceiptLine(label + "Not sent: " + broken);
      state.finished = true;
      return std::nullopt;
    }
    const Reply reply = Request(kSubmitSm, body, true);
    if (reply.outcome == Outcome::kStopped) {
      ReportStop();
      return std::nullopt;
    }
    if (reply.outcome != Outcome::kAnswered) {
      // The submit went out and may have been taken: only the user's
      // setting sends it once more, over a new session.
      Close();
      if (resend_unanswered && !resent) {
        resent = true;
        if (!Start()) return std::nullopt;
        continue;
      }
      context.SetReceiptLine(unreadable ? "Unknown: " + broken : std::string(kReceiptAnswerLost));
      state.finished = true;
      return std::nullopt;
    }
    const uint32_t status = reply.pdu.status;
    if (status == kStatusOk) return ReadIdBody(reply.pdu.body).value_or("");
    if (!IsThrottling(status) || retry == kThrottleRetries) {
      context.SetReceiptLine(label + "Not sent: " + SmppStatusText(status));
      return std::nullopt;
    }
    context.SetStatusLine("The SMPP provider asks to slow down: trying again in " +
                          std::to_string(pause_ms / 1000) + " s...");
    Wait(
        pause_ms, [] { return false; }, true);
    if (Stopped()) {
      ReportStop();
      return std::nullopt;
    }
    pause_ms = std::min(2 * pause_ms, kLongestBackoffMs);
  }
}

bool SmppTransport::Impl::SendCurrent(const std::vector<SubmitSm>& submits) {
  context.SetReceiptLine("");
  context.SetReceiptCaption("Receipt for sending to: " + state.recipient_name);
  const size_t count = submits.size();
  std::vector<std::string> ids;
  for (size_t i = 0; i < count; ++i) {
    const std::string number = std::to_string(i + 1) + " of " + std::to_string(count);
    context.SetStatusLine(count > 1 ? "Sending part " + number + "..." : "Sending message...");
    std::optional<std::string> id = SendPart(submits[i], count > 1 ? "Part " + number + ": " : "");
    if (!id) {
      if (Stopped()) return false;
      FinishSend(context, context.ReceiptLine());
      return true;
    }
    ids.push_back(std::move(*id));
  }
  state.accepted = true;
  if (submits.empty() || !submits.front().registered_delivery) {
    FinishSend(context, kReceiptSent);
    return true;
  }
  if (!AwaitReceipts(std::move(ids))) return false;
  FinishSend(context, context.ReceiptLine());
  return true;
}

bool SmppTransport::Impl::AwaitReceipts(std::vector<std::string> ids) {
  context.SetStatusLine("Waiting for receipt...");
  state.receipt_ticks = 0;
  context.StartReceiptTimer();
  PartReceipts parts(std::move(ids));
  while (!parts.Final()) {
    // A broken connection is the receipt watchdog's to report.
    WaitUntil(context.Loop(), [this] { return !receipts.empty() || Stopped(); });
    if (Stopped()) {
      context.StopReceiptTimer();
      ReportStop();
      return false;
    }
    for (const SmppReceipt& receipt : std::exchange(receipts, {})) {
      const DeliveryOutcome outcome =
          receipt.state == SmppReceipt::State::kDelivered     ? DeliveryOutcome::kDelivered
          : receipt.state == SmppReceipt::State::kStillTrying ? DeliveryOutcome::kStillTrying
                                                              : DeliveryOutcome::kFailed;
      parts.Note(context, receipt.message_id, outcome, receipt.state_name);
    }
  }
  context.StopReceiptTimer();
  context.SetReceiptLine(parts.ReceiptText());
  return true;
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

void SmppTransport::SendSingle() {
  std::optional<std::vector<SubmitSm>> submits = impl_->Prepare();
  if (submits && impl_->Start()) impl_->SendCurrent(*submits);
}

void SmppTransport::SendDouble() {
  SendSingle();
  if (!impl_->state.ended) impl_->context.EndSend();
}

bool SmppTransport::OpenRun() {
  SendState& s = impl_->state;
  s.keep_line = true;
  if (!impl_->Start()) {
    s.keep_line = false;
    impl_->context.EndSend();
    return false;
  }
  return true;
}

bool SmppTransport::SendMember(int /*following*/) {
  SendState& s = impl_->state;
  s.accepted = false;
  s.attempted = true;
  if (s.cancelled || s.finished) return false;
  std::optional<std::vector<SubmitSm>> submits = impl_->Prepare();
  // A member refused before sending lets the run go on.
  if (!submits) return true;
  if (!impl_->Start()) return false;
  return impl_->SendCurrent(*submits) && !s.cancelled && !s.finished;
}

void SmppTransport::CloseRun(bool /*interrupted*/) {
  impl_->state.keep_line = false;
  impl_->context.EndSend();
}

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
}

}  // namespace tolvane
