#include "gsm/gsm_transport.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "core/delivery_time.h"
#include "core/message_cut.h"
#include "core/part_receipts.h"
#include "core/part_record.h"
#include "core/receipt_texts.h"
#include "core/secret_store.h"
#include "gsm/gsm_errors.h"
#include "gsm/gsm_link.h"
#include "gsm/gsm_settings.h"
#include "gsm/gsm_setup.h"
#include "platform/serial_line_settings.h"
#include "sms/deliver_pdu.h"
#include "sms/no_references.h"
#include "sms/sms_message.h"
#include "sms/submit_pdu.h"

namespace tolvane {
namespace {

constexpr int kPromptMs = 10000;
constexpr int kSubmitAnswerMs = 60000;
constexpr int kRetryPauseMs = 5000;
constexpr int kPassingRetries = 2;

constexpr char kPortGone[] = "The GSM modem is gone: check its cable or USB stick";
constexpr char kNoDevice[] = "No GSM modem is chosen: set its device on the settings dialog";
constexpr char kSimFull[] = "Receiving: the SIM is full, new messages wait at the SMS centre";
constexpr char kSimRoom[] = "Receiving: the SIM has room again";

// Whether the +CPMS? answer says the store new messages go to (the third,
// or the only one named) is full: "\"SM\",3,10,\"SM\",3,10,\"SM\",10,10".
bool StoreFull(const std::string& storage) {
  std::vector<int> counts;
  size_t at = 0;
  while (at < storage.size()) {
    const size_t comma = storage.find(',', at);
    const std::string field = storage.substr(at, comma == std::string::npos ? comma : comma - at);
    if (!field.empty() && field.find_first_not_of("0123456789") == std::string::npos &&
        field.size() < 6) {
      counts.push_back(std::stoi(field));
    }
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  if (counts.size() < 2) return false;
  const size_t used = counts.size() >= 6 ? 4 : 0;
  return counts[used] >= counts[used + 1];
}

bool IsStatusReport(const std::string& hex) {
  return ReadStatusReport(hex, ServiceCentrePrefix::kIncluded) ||
         ReadStatusReport(hex, ServiceCentrePrefix::kOmitted);
}

std::string LineSettings(const ProgramSettings& settings) {
  return settings.transports.Get<GsmSettings>().Baud + ",N,8,1";
}

// The digits of two numbers name the same phone when one ends with the other
// (a report may give the number in its international form).
bool SameRecipient(const std::string& a, const std::string& b) {
  auto digits = [](const std::string& number) {
    std::string only;
    for (char c : number) {
      if (c >= '0' && c <= '9') only += c;
    }
    return only;
  };
  std::string x = digits(a), y = digits(b);
  if (x.size() < y.size()) std::swap(x, y);
  // National numbers drop their trunk zero in the international form.
  if (!y.empty() && y.front() == '0') y.erase(0, 1);
  return !y.empty() && x.ends_with(y);
}

}  // namespace

struct GsmTransport::Impl {
  Impl(SendContext& send_context, SerialPort& serial_port, FileSystem& file_system)
      : context(send_context),
        port(serial_port),
        files(file_system),
        state(send_context.State()),
        settings(send_context.Settings()),
        link(send_context.Loop(), serial_port, [this] { return Stopped(); }),
        wait_timer(send_context.Loop().CreateTimer()),
        serve_timer(send_context.Loop().CreateTimer()),
        record(send_context) {
    wait_timer->SetSingleShot(true);
    wait_timer->SetCallback([this] { wait_over = true; });
    // Messages announced are read once the event that announced them is
    // over, and no send or set-up holds the port.
    serve_timer->SetSingleShot(true);
    serve_timer->SetInterval(0);
    serve_timer->SetCallback([this] { Serve(); });
    link.SetOnNews([this] { serve_timer->Start(); });
  }

  // Outside a send only the port going away stops a wait, or a send that
  // took the set-up for receiving over.
  bool Stopped() const {
    if (!port.IsOpen()) return true;
    return sending ? state.cancelled || state.finished : taken_over;
  }

  // The receipt text of a wait that ended without its answer.
  void ReportStop() {
    if (state.cancelled) {
      context.SetReceiptLine(kReceiptCancelled);
    } else if (!port.IsOpen()) {
      context.SetReceiptLine(kPortGone);
      state.finished = true;
    }
    // A finished send has its text already (the receipt watchdog's).
  }

  // Holds a message sent for later until its time.
  bool AwaitDeliveryTime();
  // The port open and the modem set up; false with the reason shown.
  bool Start();
  // Sets the modem on the open port up; the reason it cannot send, empty
  // when it is ready.
  std::string SetUp();
  // Sends the message box to the current recipient and ends its send; false
  // when the run cannot go on (cancelled, the modem silent or gone).
  bool SendCurrent();
  // The message reference of the message's part `index`, or nothing with
  // the reason shown.
  std::optional<int> SendPart(const SmsMessage& message, int index, const std::string& label);
  // Waits for the reports of every part; false when stopped first.
  bool AwaitReports(std::vector<int> references);

  // Opens the port for a new session; the reason it cannot, empty when it
  // is open.
  std::string OpenPort();
  // Reads what the modem announced meanwhile, when nothing else holds it.
  void Serve();
  // Hands over each message read; one kept (or kept before) is deleted.
  void Receive(const AtReply& reply, int index);
  // Shows on the status line when +CPMS? says the SIM is full, and when it
  // has room again.
  void CheckStorage(const AtReply& reply);

  SendContext& context;
  SerialPort& port;
  FileSystem& files;
  SendState& state;
  const ProgramSettings& settings;
  GsmLink link;
  GsmSetup setup;
  std::unique_ptr<Timer> wait_timer;
  std::unique_ptr<Timer> serve_timer;
  PartRecord record;
  bool wait_over = false;
  bool ready = false;
  bool reports = false;
  // From PrepareForSend to the hang-up at the end of the send or run.
  bool sending = false;
  bool listening = false;
  // Listen is setting the modem up; a send that starts meanwhile takes the
  // set-up over.
  bool opening = false;
  bool taken_over = false;
  bool serving = false;
  bool sim_full = false;
};

bool GsmTransport::Impl::AwaitDeliveryTime() {
  if (!state.deferred) return true;
  const std::optional<TimePoint> at = DeliveryTimePoint(state.delivery_time);
  const TimePoint now = context.Loop().Now();
  if (!at || *at <= now) return true;
  context.SetStatusLine("Waiting to send at the chosen time...");
  wait_over = false;
  wait_timer->SetInterval(static_cast<int>(
      std::min<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(*at - now).count(),
                          std::numeric_limits<int>::max())));
  wait_timer->Start();
  WaitUntil(context.Loop(), [this] { return wait_over || state.cancelled; });
  wait_timer->Stop();
  if (state.cancelled) context.SetReceiptLine(kReceiptCancelled);
  return !state.cancelled;
}

bool GsmTransport::Impl::Start() {
  sending = true;
  state.attempted = true;
  if (!AwaitDeliveryTime()) return false;
  // A send that starts inside a wait of the set-up for receiving or of the
  // reading (one thread: they cannot go on before the send ends) lets the
  // command under way have its answer; it sets the modem up itself, which
  // ends the other set-up.
  if (opening) taken_over = true;
  link.AwaitAnswer();
  if (ready && port.IsOpen()) return true;
  auto fail = [this](const std::string& text) {
    context.SetReceiptLine(text);
    state.init_failed = true;
    return false;
  };
  if (const std::string failure = OpenPort(); !failure.empty()) return fail(failure);
  const std::string failure = SetUp();
  if (Stopped()) {
    ReportStop();
    return false;
  }
  return failure.empty() || fail(failure);
}

std::string GsmTransport::Impl::OpenPort() {
  const std::string& device = settings.transports.Get<GsmSettings>().Device;
  if (device.empty()) return kNoDevice;
  context.SetStatusLine("Initialising GSM modem...");
  link.Reset();
  if (!port.IsOpen() && !port.Open()) return "The GSM modem cannot be opened: " + device;
  return {};
}

void GsmTransport::Impl::Serve() {
  if (sending || opening || serving || !ready || !port.IsOpen()) return;
  serving = true;
  // Reports whose send stopped waiting: acknowledged, read off the SIM and
  // dropped.
  link.ServeReports();
  link.TakeReports();
  bool read = false;
  // More may be announced while these are read.
  for (std::vector<int> indexes; !(indexes = link.TakeNewMessages()).empty() && port.IsOpen();) {
    for (int index : indexes) {
      if (!port.IsOpen()) break;
      Receive(link.Command("AT+CMGR=" + std::to_string(index), GsmSetup::kAnswerMs), index);
      read = true;
    }
  }
  if (link.TakeStoreFull()) {
    sim_full = true;
    context.SetStatusLine(kSimFull);
  } else if (read && port.IsOpen()) {
    CheckStorage(link.Command("AT+CPMS?", GsmSetup::kAnswerMs));
  }
  serving = false;
}

void GsmTransport::Impl::Receive(const AtReply& reply, int index) {
  for (const auto& [listed, hex] : reply.pdus) {
    const int at = listed >= 0 ? listed : index;
    std::optional<ReceivedPart> part = ReadDeliver(hex, ServiceCentrePrefix::kIncluded);
    if (!part) part = ReadDeliver(hex, ServiceCentrePrefix::kOmitted);
    bool done = false;
    if (part) {
      const ReceiveOutcome outcome = context.Receive(*part);
      // One not kept stays on the SIM, to be read again at the next start.
      done = outcome != ReceiveOutcome::kNotKept;
    } else {
      // A report from an earlier run, whose send no longer waits for it.
      done = listed >= 0 && IsStatusReport(hex);
    }
    if (done && port.IsOpen()) link.Command("AT+CMGD=" + std::to_string(at), GsmSetup::kAnswerMs);
  }
}

void GsmTransport::Impl::CheckStorage(const AtReply& reply) {
  const std::string storage = reply.Value("+CPMS");
  if (!reply.Ok() || storage.empty()) return;
  const bool full = StoreFull(storage);
  if (full == sim_full) return;
  sim_full = full;
  context.SetStatusLine(full ? kSimFull : kSimRoom);
}

std::string GsmTransport::Impl::SetUp() {
  const SecretStore secrets(settings.ProgramFolder);
  const SimPinStore pin{[&] { return secrets.ReadSecret(kGsmPinSecret); },
                        [&] { return secrets.ForgetSecret(kGsmPinSecret); }};
  const GsmReadiness readiness = setup.Run(
      link, settings, pin, [this](const std::string& text) { context.SetStatusLine(text); });
  // A send set the modem up meanwhile; its outcome stands.
  if (taken_over && !sending) return {};
  ready = readiness.failure.empty() && !Stopped();
  if (!ready) return readiness.failure;
  reports = readiness.reports;
  context.SetStatusLine("GSM modem ready: " + readiness.network);
  return {};
}

std::optional<int> GsmTransport::Impl::SendPart(const SmsMessage& message, int index,
                                                const std::string& label) {
  SubmitOptions options;
  options.recipient = (state.recipient_international ? "+" : "") + state.recipient_number;
  options.status_report = reports && !state.NoReceipt(settings.EjKvittoOn);
  options.validity_minutes = settings.Validity;
  const SubmitPdu pdu = BuildSubmitPdu(message.parts[index], message.encoding, options);
  if (!pdu.error.empty()) {
    context.SetReceiptLine(pdu.error);
    return std::nullopt;
  }
  if (const std::string refusal = record.Writing(index); !refusal.empty()) {
    context.SetReceiptLine(refusal);
    return std::nullopt;
  }
  // A part whose PDU went out may have been sent; one stopped before that
  // was not.
  auto failed = [this](const AtReply& reply) {
    if (reply.pdu_sent) {
      record.Unanswered(context.ReceiptLine());
    } else {
      record.Refused(context.ReceiptLine());
    }
    return std::nullopt;
  };
  bool set_up_again = false;
  for (int retry = 0;; ++retry) {
    const AtReply reply =
        link.Submit(pdu.octets, kSimServiceCentre + pdu.hex, kPromptMs, kSubmitAnswerMs);
    // A report routed during the wait is acknowledged at once: the network
    // waits for that only some twelve seconds.
    link.ServeReports();
    if (reply.Ok()) {
      int reference = -1;
      try {
        reference = std::stoi(reply.Value("+CMGS"));
      } catch (const std::exception&) {
        // Accepted, but without a reference no report can be matched.
      }
      record.Accepted(reference < 0 ? "" : std::to_string(reference));
      return reference;
    }
    if (reply.outcome == AtReply::Outcome::kStopped) {
      ReportStop();
      return failed(reply);
    }
    if (reply.outcome == AtReply::Outcome::kTimeout) {
      // Once the PDU is out the message may have gone: it is not sent again.
      context.SetReceiptLine(reply.pdu_sent
                                 ? std::string(kReceiptAnswerLost)
                                 : label + "The GSM modem gave no prompt for the message");
      state.finished = true;
      return failed(reply);
    }
    if (IsSimPinWanted(reply.final_line) && !std::exchange(set_up_again, true)) {
      // The SIM started anew under the send (the stick lost power): the modem
      // is set up again and the part, refused, goes once more.
      const std::string failure = SetUp();
      if (Stopped()) {
        ReportStop();
        return failed(reply);
      }
      if (!failure.empty()) {
        context.SetReceiptLine(label + failure);
        record.Refused(context.ReceiptLine());
        return std::nullopt;
      }
      continue;
    }
    if (IsUnknownGsmOutcome(reply.final_line)) {
      // The message left, the network's answer did not come: it is not sent
      // again.
      context.SetReceiptLine(label + "Unknown: " + GsmErrorText(reply.final_line));
      record.Unanswered(context.ReceiptLine());
      return std::nullopt;
    }
    if (!IsPassingGsmError(reply.final_line) || retry == kPassingRetries) {
      context.SetReceiptLine(label + "Not sent: " + GsmErrorText(reply.final_line));
      record.Refused(context.ReceiptLine());
      return std::nullopt;
    }
    context.SetStatusLine("The network is busy, trying again...");
    link.Pause(kRetryPauseMs);
    if (Stopped()) {
      ReportStop();
      record.Refused(context.ReceiptLine());
      return std::nullopt;
    }
  }
}

bool GsmTransport::Impl::SendCurrent() {
  const SmsMessage message = CutMessage(context, files, state.message);
  if (!message.error.empty()) {
    FinishSend(context, message.error);
    return true;
  }
  context.SetReceiptLine("");
  context.SetReceiptCaption("Receipt for sending to: " + state.recipient_name);
  const int count = static_cast<int>(message.parts.size());
  // A message resumed after a restart sends only the parts never written.
  const std::vector<int> pending = context.Ledger().PendingParts(state.message_id, count);
  // Keeps the radio link up between the parts; a modem that does not know
  // the command just says so.
  if (pending.size() > 1) link.Command("AT+CMMS=2", GsmSetup::kAnswerMs);
  std::vector<int> sent;
  for (int i : pending) {
    const std::string number = std::to_string(i + 1) + " of " + std::to_string(count);
    context.SetStatusLine(count > 1 ? "Sending part " + number + "..." : "Sending message...");
    const std::optional<int> reference =
        SendPart(message, i, count > 1 ? "Part " + number + ": " : "");
    if (!reference) {
      if (Stopped()) return false;
      FinishSend(context, context.ReceiptLine());
      return true;
    }
    sent.push_back(*reference);
  }
  state.accepted = true;
  if (!reports || state.NoReceipt(settings.EjKvittoOn) || sent.empty()) {
    FinishSend(context, kReceiptSent);
    return true;
  }
  if (!AwaitReports(std::move(sent))) return false;
  FinishSend(context, context.ReceiptLine());
  return true;
}

bool GsmTransport::Impl::AwaitReports(std::vector<int> references) {
  context.SetStatusLine("Waiting for receipt...");
  state.receipt_ticks = 0;
  context.StartReceiptTimer();
  const std::string recipient = state.recipient_number;
  std::vector<std::string> keys;
  for (int reference : references) keys.push_back(std::to_string(reference));
  PartReceipts receipts(std::move(keys));
  while (!receipts.Final()) {
    WaitUntil(context.Loop(), [this] { return link.ReportsPending() || Stopped(); });
    if (Stopped()) {
      context.StopReceiptTimer();
      ReportStop();
      // Every part was accepted: only the wait for the reports is cancelled.
      if (state.cancelled) context.SetReceiptLine(kReceiptWaitCancelled);
      return false;
    }
    link.ServeReports();
    for (const StatusReport& report : link.TakeReports()) {
      if (!SameRecipient(report.recipient, recipient)) continue;
      const std::string reference = std::to_string(report.reference);
      receipts.Note(context, reference, report.outcome, report.reason);
      record.Receipt(reference, report.outcome, report.reason);
    }
  }
  context.StopReceiptTimer();
  context.SetReceiptLine(receipts.ReceiptText());
  return true;
}

GsmTransport::GsmTransport(SendContext& context, SerialPort& port, FileSystem& files)
    : impl_(std::make_unique<Impl>(context, port, files)) {}

GsmTransport::~GsmTransport() = default;

void GsmTransport::Configure(const std::function<void(int error_number)>& report_error) {
  impl_->port.SetDevice(impl_->settings.transports.Get<GsmSettings>().Device);
  const std::string line = LineSettings(impl_->settings);
  if (ParseSerialLineSettings(line)) {
    impl_->port.SetSettings(line);
  } else if (report_error) {
    report_error(kErrorInvalidPropertyValue);
  }
}

std::string GsmTransport::RefusalOf(std::string_view text) const {
  NoReferences references;
  return PrepareMessage(text, impl_->settings.MaxParts, references).error;
}

void GsmTransport::PrepareForSend() {
  impl_->sending = true;
  impl_->port.SetDevice(impl_->settings.transports.Get<GsmSettings>().Device);
  if (ParseSerialLineSettings(LineSettings(impl_->settings))) {
    impl_->port.SetSettings(LineSettings(impl_->settings));
  }
  impl_->port.SetHandshaking(0);
}

void GsmTransport::SendSingle() {
  if (impl_->Start()) impl_->SendCurrent();
}

void GsmTransport::SendDouble() {
  SendSingle();
  if (!impl_->state.ended) impl_->context.EndSend();
}

bool GsmTransport::OpenRun() {
  SendState& s = impl_->state;
  s.keep_line = true;
  if (!impl_->Start()) {
    s.keep_line = false;
    impl_->context.EndSend();
    return false;
  }
  // Keeps the radio link up between the messages of the run.
  impl_->link.Command("AT+CMMS=2", GsmSetup::kAnswerMs);
  return true;
}

bool GsmTransport::SendMember(int /*following*/) {
  SendState& s = impl_->state;
  s.accepted = false;
  s.attempted = true;
  if (s.cancelled || s.finished) return false;
  return impl_->SendCurrent() && !s.cancelled && !s.finished;
}

void GsmTransport::CloseRun(bool /*interrupted*/) {
  impl_->state.keep_line = false;
  impl_->context.EndSend();
}

bool GsmTransport::ConnectionLost() const { return impl_->ready && !impl_->port.IsOpen(); }

bool GsmTransport::LineHeld() const { return impl_->port.IsOpen(); }

void GsmTransport::HangUp() {
  impl_->sending = false;
  if (impl_->listening && impl_->port.IsOpen()) {
    // What the modem announced during the send is read now.
    impl_->serve_timer->Start();
    return;
  }
  impl_->ready = false;
  if (impl_->port.IsOpen()) impl_->port.Close();
}

std::string GsmTransport::Listen() {
  Impl& d = *impl_;
  if (d.opening) return "the GSM modem is being set up";
  d.listening = true;
  if (d.ready && d.port.IsOpen()) return {};
  d.ready = false;
  d.opening = true;
  std::string failure = d.OpenPort();
  if (failure.empty()) failure = d.SetUp();
  d.opening = false;
  if (std::exchange(d.taken_over, false))
    failure = d.ready ? "" : "the send that took the GSM modem over left it not ready";
  if (failure.empty() && !d.port.IsOpen()) failure = kPortGone;
  if (!failure.empty()) {
    // Left closed until the next attempt, unless a send took the port over.
    if (!d.sending && d.port.IsOpen()) d.port.Close();
    d.ready = false;
    return failure;
  }
  // What came while the program was not listening; a SIM that was full
  // meanwhile is shown so before it is read.
  d.serving = true;
  d.CheckStorage(d.link.Command("AT+CPMS?", GsmSetup::kAnswerMs));
  d.link.TakeNewMessages();
  const AtReply listed = d.link.Command("AT+CMGL=4", GsmSetup::kAnswerMs);
  d.link.TakeReports();
  d.Receive(listed, -1);
  if (d.port.IsOpen()) d.CheckStorage(d.link.Command("AT+CPMS?", GsmSetup::kAnswerMs));
  d.serving = false;
  d.Serve();
  return d.port.IsOpen() ? "" : kPortGone;
}

bool GsmTransport::Listening() const {
  return impl_->listening && impl_->ready && impl_->port.IsOpen();
}

void GsmTransport::StopListening() {
  Impl& d = *impl_;
  d.listening = false;
  d.serve_timer->Stop();
  if (!d.sending && d.port.IsOpen()) {
    d.ready = false;
    d.port.Close();
  }
}

}  // namespace tolvane
