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
        record(send_context) {
    wait_timer->SetSingleShot(true);
    wait_timer->SetCallback([this] { wait_over = true; });
  }

  bool Stopped() const { return state.cancelled || state.finished || !port.IsOpen(); }

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

  SendContext& context;
  SerialPort& port;
  FileSystem& files;
  SendState& state;
  const ProgramSettings& settings;
  GsmLink link;
  GsmSetup setup;
  std::unique_ptr<Timer> wait_timer;
  PartRecord record;
  bool wait_over = false;
  bool ready = false;
  bool reports = false;
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
  state.attempted = true;
  if (!AwaitDeliveryTime()) return false;
  if (ready && port.IsOpen()) return true;
  auto fail = [this](const std::string& text) {
    context.SetReceiptLine(text);
    state.init_failed = true;
    return false;
  };
  const std::string& device = settings.transports.Get<GsmSettings>().Device;
  if (device.empty()) return fail(kNoDevice);
  context.SetStatusLine("Initialising GSM modem...");
  link.Reset();
  if (!port.IsOpen() && !port.Open()) {
    return fail("The GSM modem cannot be opened: " + device);
  }
  const std::string failure = SetUp();
  if (Stopped()) {
    ReportStop();
    return false;
  }
  return failure.empty() || fail(failure);
}

std::string GsmTransport::Impl::SetUp() {
  const SecretStore secrets(settings.ProgramFolder);
  const SimPinStore pin{[&] { return secrets.ReadSecret(kGsmPinSecret); },
                        [&] { return secrets.ForgetSecret(kGsmPinSecret); }};
  const GsmReadiness readiness = setup.Run(
      link, settings, pin, [this](const std::string& text) { context.SetStatusLine(text); });
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
  options.status_report = reports && !settings.EjKvittoOn;
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
  const SmsMessage message = CutMessage(context, files, context.MessageText());
  state.message = context.MessageText();
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
  if (!reports || settings.EjKvittoOn || sent.empty()) {
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
  impl_->ready = false;
  if (impl_->port.IsOpen()) impl_->port.Close();
}

}  // namespace tolvane
