#include "modem/modem_transport.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>

#include "core/part_receipts.h"
#include "core/part_record.h"
#include "core/receipt_texts.h"
#include "core/settings_values.h"
#include "platform/serial_line_settings.h"
#include "platform/text_codec.h"
#include "text/utf8.h"
#include "text/whole_number.h"
#include "ucp/ucp_frame.h"

namespace tolvane {
namespace {

constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';
constexpr int kInitAnswerMs = 10000;
constexpr int kDialPauseMs = 2000;
constexpr int kSettleMs = 3000;
constexpr int kSettleNoCorrectionMs = 13000;
// LEN has five digits, so no frame is longer.
constexpr size_t kMaxFrameSize = 99999;
// The dial time-out is a window-timer interval, which holds at most 65535 ms.
constexpr int kMaxDialSeconds = 65;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// Settings outside 1 to 65 seconds would make a timer that never fires or
// that the window timer refuses; they are held to that range.
int DialTimeoutMs(const std::string& upp_tid) {
  // A number past 16 bits is past the range too.
  int seconds = ParseLeadingNumber(upp_tid).value_or(kMaxDialSeconds);
  return std::clamp(seconds, 1, kMaxDialSeconds) * 1000;
}

// What an intact notification says of its message: an operation 53 by its
// Dst, 0 delivered or 2 not delivered; any other frame says nothing.
std::optional<DeliveryOutcome> NotifiedOutcome(std::string_view frame) {
  constexpr size_t kDst = 15;
  const std::optional<UcpFrame> read = ReadUcpFrame(frame);
  if (!read || read->result || read->operation != "53" || read->fields.size() <= kDst) {
    return std::nullopt;
  }
  const std::string& dst = read->fields[kDst];
  if (dst == "0") return DeliveryOutcome::kDelivered;
  if (dst == "2") return DeliveryOutcome::kFailed;
  return std::nullopt;
}

}  // namespace

struct ModemTransport::Impl {
  Impl(ModemTransport& owner, SendContext& send_context, SerialPort& serial_port,
       RedialCountdown& redial_countdown)
      : owner(owner),
        context(send_context),
        port(serial_port),
        redial(redial_countdown),
        state(send_context.State()),
        settings(send_context.Settings()),
        setup_timer(send_context.Loop().CreateTimer()),
        record(send_context) {
    // SetupTimer: one-shot; on firing it stops itself and sets timer expired.
    setup_timer->SetSingleShot(true);
    setup_timer->SetCallback([this] { state.timer_expired = true; });
  }

  void StartSetupTimer(int milliseconds) {
    state.timer_expired = false;
    setup_timer->SetInterval(milliseconds);
    setup_timer->Start();
  }

  // Processes events until `done`, or cancelled.
  void Wait(const std::function<bool()>& done) {
    WaitUntil(context.Loop(), [&] { return state.cancelled || done(); });
  }

  void ResetReceiveState() {
    frame_written = false;
    frame_count = 0;
    stx_seen = false;
    retry_count = 0;
    buffer.clear();
  }

  // Takes the bytes of one read into the frame being assembled. True when a
  // frame is complete: `frame` gets its text (without STX and ETX) and `data`
  // keeps whatever followed the ETX. Bytes before an STX are dropped, and a
  // further STX starts the frame anew, so noise never glues onto a frame.
  bool NextFrame(std::string& data, std::string& frame) {
    for (;;) {
      if (!stx_seen) {
        size_t stx = data.find(kStx);
        if (stx == std::string::npos) {
          data.clear();
          return false;
        }
        stx_seen = true;
        buffer.clear();
        data.erase(0, stx + 1);
      }
      size_t end = data.find_first_of(std::string{kStx, kEtx});
      if (end == std::string::npos) {
        buffer += data;
        data.clear();
        // Noise that never brings an ETX must not grow the buffer for ever.
        if (buffer.size() > kMaxFrameSize) stx_seen = false;
        return false;
      }
      if (data[end] == kStx) {
        stx_seen = false;
        data.erase(0, end);
        continue;
      }
      frame = buffer + data.substr(0, end);
      data.erase(0, end + 1);
      buffer.clear();
      // Every frame starts at its own STX.
      stx_seen = false;
      return true;
    }
  }

  void HandleAnswer(const SubmitAnswer& answer);
  void HandleNotification(const std::string& frame);

  ModemTransport& owner;
  SendContext& context;
  SerialPort& port;
  RedialCountdown& redial;
  SendState& state;
  const ProgramSettings& settings;
  std::unique_ptr<Timer> setup_timer;
  PartRecord record;
  // Of the message's parts, the one on the line: 1 for the second frame of
  // a double message.
  int part_index = 0;
  // What the centre's answer called the message on the line.
  std::string answer_ref;

  // Receive state of the exchange, kept across receive events. Until the
  // frame is on the line nothing received can answer it: a stray frame
  // during the settle wait would otherwise end the exchange (and stop the
  // timer that wait depends on) before the message was sent.
  bool frame_written = false;
  int frame_count = 0;
  bool stx_seen = false;
  int16_t retry_count = 0;
  std::string buffer;
  // The frame on the line is the first half of a double message: its
  // acceptance alone does not send the message.
  bool first_of_two = false;
};

ModemTransport::ModemTransport(SendContext& context, SerialPort& port, RedialCountdown& redial)
    : impl_(std::make_unique<Impl>(*this, context, port, redial)) {
  port.SetOnComm([this](CommEvent event) {
    if (event == CommEvent::kReceive && impl_->state.online && impl_->port.CdHolding()) {
      HandleSmscData(impl_->port.Input());
    }
  });
}

ModemTransport::~ModemTransport() { impl_->port.SetOnComm(nullptr); }

void ModemTransport::Configure(const std::function<void(int error_number)>& report_error) {
  const ProgramSettings& settings = impl_->settings;
  auto report = [&](int number) {
    if (report_error) report_error(number);
  };
  // A device path names the port itself; the number is then not used.
  if (settings.Device.empty()) {
    std::optional<long> number = ParseWholeNumber(settings.Port);
    if (number && *number >= kFirstSerialPort && *number <= kLastSerialPort) {
      impl_->port.SetCommPort(static_cast<int>(*number));
    } else {
      report(kErrorInvalidPortNumber);
    }
  }
  impl_->port.SetDevice(settings.Device);
  const std::string line = settings.Baud + "," + settings.Parametrar;
  if (ParseSerialLineSettings(line)) {
    impl_->port.SetSettings(line);
  } else {
    report(kErrorInvalidPropertyValue);
  }
}

void ModemTransport::PrepareForSend() {
  SerialPort& port = impl_->port;
  port.SetSettings(impl_->settings.Baud + "," + impl_->settings.Parametrar);
  port.SetHandshaking(3);
  port.ClearInput();
  port.ClearOutput();
  port.SetRtsEnable(true);
}

void ModemTransport::InitModem() {
  Impl& m = *impl_;
  m.state.attempted = true;
  m.state.init_failed = false;
  m.state.timer_expired = false;
  m.port.ClearInput();
  m.port.ClearOutput();
  m.port.SetRtsEnable(true);
  m.context.SetStatusLine("Initialising modem...");

  if (!m.port.IsOpen() && !m.port.Open()) {
    m.context.SetReceiptLine("The specified comport is not available");
    m.context.SetStatusLine("");
    m.state.init_failed = true;
    return;
  }
  m.port.Output(Upper(m.settings.ModemInit) + "\r");
  m.StartSetupTimer(kInitAnswerMs);

  std::string reply;
  bool finished = false;
  do {
    m.context.Loop().ProcessEvents();
    if (!m.state.cancelled) reply += m.port.Input();
    std::string lower = Lower(reply);
    if (Contains(lower, "ok")) {
      finished = true;
    } else if (Contains(lower, "error")) {
      m.context.SetReceiptLine("Error in Initstring!");
      m.state.init_failed = true;
      finished = true;
    } else if (m.state.timer_expired) {
      m.context.SetReceiptLine("No response from modem!");
      m.state.init_failed = true;
      finished = true;
    }
  } while (!finished && !m.state.cancelled);
  m.setup_timer->Stop();
}

void ModemTransport::DialSmsc() {
  Impl& m = *impl_;
  if (m.port.CdHolding()) {
    m.context.SetReceiptLine(
        "Carrier detected. Set Modeminitstring to: AT&C1&D2 to fix the problem.");
    m.state.cancelled = true;
    return;
  }
  if (!m.port.IsOpen() && !m.port.Open()) {
    // The port went away after the initialisation (a USB modem pulled out).
    m.context.SetReceiptLine("The specified comport is not available");
    m.state.dial_failed = true;
    return;
  }
  m.state.redial_pending = false;
  m.context.SetStatusLine("Dialing...");
  m.StartSetupTimer(kDialPauseMs);
  m.Wait([&] { return m.state.timer_expired; });
  m.setup_timer->Stop();
  if (m.state.cancelled) return;

  const std::string& prefix = m.context.UsePrefix2() ? m.settings.Prefix2 : m.settings.Prefix1;
  std::string number = Upper(m.settings.SMSCnumber);
  m.port.Output(Upper(prefix) + number + "\r");
  m.context.SetStatusLine("Dialing " + number);
  m.StartSetupTimer(DialTimeoutMs(m.settings.UppTid));

  std::string reply;
  bool connected = false;
  do {
    m.context.Loop().ProcessEvents();
    if (!m.state.cancelled) reply += m.port.Input();
    std::string lower = Lower(reply);
    if (Contains(lower, "connect")) {
      connected = true;
      m.setup_timer->Stop();
    } else {
      const char* failure = nullptr;
      if (Contains(lower, "busy")) {
        m.context.SetReceiptLine("Busy");
        m.state.redial_pending = true;
        m.setup_timer->Stop();
        return;
      } else if (Contains(lower, "no dialtone")) {
        failure = "No dialtone!";
      } else if (Contains(lower, "no carrier")) {
        failure = "No answer, try again later.";
      } else if (m.state.timer_expired) {
        failure = "Timeout.";
      }
      if (failure) {
        m.context.SetReceiptLine(failure);
        m.state.dial_failed = true;
        m.setup_timer->Stop();
        return;
      }
    }
  } while (!m.port.CdHolding() && !connected && !m.state.cancelled && !m.state.dial_failed);

  // From now on received data goes to HandleSmscData.
  m.state.online = true;
  m.setup_timer->Stop();
  if (!m.state.cancelled) m.context.SetStatusLine("Waiting...");
}

bool ModemTransport::Connect() {
  SendState& s = impl_->state;
  do {
    if (s.redial_pending && !s.cancelled) impl_->redial.Wait();
    if (s.cancelled) return false;
    DialSmsc();
    if (s.dial_failed || s.cancelled) return false;
  } while (s.redial_pending);
  return true;
}

void ModemTransport::SendSingle() {
  SendState& s = impl_->state;
  BuildSubmitFrame();
  if (s.init_failed || s.cancelled) return;
  InitModem();
  if (s.init_failed || s.cancelled) return;
  if (!Connect()) return;
  TransmitFrame();
  if (s.finished || s.cancelled) return;
  WaitForExchange(impl_->context);
}

bool ModemTransport::OpenRun() {
  Impl& m = *impl_;
  SendState& s = m.state;
  InitModem();
  if (s.init_failed || s.cancelled) {
    s.keep_line = false;
    m.context.EndSend();
    return false;
  }
  // The initialisation has set attempted, so a failing dial is logged.
  s.ended = s.cancelled = s.finished = s.dial_failed = s.redial_pending = false;
  s.receipt_ticks = 0;
  s.keep_line = true;
  s.transaction_reference = 0;
  PrepareForSend();
  if (!Connect() || s.cancelled || s.finished) {
    CloseRun(true);
    return false;
  }
  return true;
}

bool ModemTransport::SendMember(int /*following*/) {
  SendState& s = impl_->state;
  auto interrupted = [&s] { return s.cancelled || s.finished; };
  BuildSubmitFrame();
  if (interrupted()) return false;
  s.accepted = false;
  s.attempted = true;
  TransmitFrame();
  if (interrupted()) return false;
  WaitUntil(impl_->context.Loop(), [&] { return s.ended || interrupted(); });
  if (interrupted()) return false;
  // Each frame of the call has its own transaction reference.
  ++s.transaction_reference;
  return true;
}

void ModemTransport::CloseRun(bool /*interrupted*/) {
  impl_->state.keep_line = false;
  impl_->context.EndSend();
}

void ModemTransport::Cancel() {
  Impl& m = *impl_;
  // Without a carrier a wait is still running; it sees the flag and ends.
  if (!CarrierHeld()) return;
  // A message the centre accepted keeps that outcome; only the wait for its
  // notification ends.
  const bool accepted = m.state.accepted && !m.first_of_two;
  m.context.SetReceiptLine(accepted ? kReceiptWaitCancelled : kReceiptCancelled);
  m.context.EndSend();
}

void ModemTransport::BuildSubmitFrame() {
  Impl& m = *impl_;
  SubmitFrameInput input;
  input.message = Utf8ToCp1252(m.state.message);
  input.recipient_number = m.state.recipient_number;
  input.sender_number = m.state.sender_number;
  input.transaction_reference = m.state.transaction_reference;
  input.ej_kvitto = m.state.NoReceipt(m.settings.EjKvittoOn);
  input.deferred = m.state.deferred;
  input.delivery_time = m.state.delivery_time;
  m.state.frame = tolvane::BuildSubmitFrame(input);
}

void ModemTransport::TransmitFrame() {
  Impl& m = *impl_;
  m.frame_written = false;
  m.state.timer_expired = false;
  if (m.settings.FelkorrigeringOn || m.state.later_part) {
    m.StartSetupTimer(kSettleMs);
    m.context.SetStatusLine("Waiting...");
  } else {
    m.context.SetStatusLine("No errorcorrection. Waiting 12 seconds...");
    m.StartSetupTimer(kSettleNoCorrectionMs);
  }
  while (!m.state.timer_expired) {
    if (m.state.cancelled) m.context.SetReceiptLine("Sending Cancelled.");
    if (m.state.finished || m.state.cancelled) return;
    m.context.Loop().ProcessEvents();
  }
  m.setup_timer->Stop();
  m.context.SetStatusLine("Sending message...");
  m.context.SetReceiptLine("");
  m.context.SetReceiptCaption("Receipt for sending to: " + m.state.recipient_name);

  if (const std::string refusal = m.record.Writing(m.part_index); !refusal.empty()) {
    FinishSend(m.context, refusal);
    return;
  }
  m.frame_written = true;
  m.port.Output(kStx + m.state.frame + kEtx);
  while (m.port.OutBufferCount() > 0) {
    if (!m.port.CdHolding()) {
      m.state.finished = true;
      m.context.SetReceiptLine(m.state.cancelled ? "Sending Cancelled."
                                                 : "Operator closed the connection.");
    }
    // An answer may end the exchange before the last byte has left; the
    // watchdog must not start after that end.
    if (m.state.finished || m.state.cancelled || m.state.ended) return;
    m.context.Loop().ProcessEvents();
  }
  m.context.StartReceiptTimer();
  m.context.SetStatusLine("Waiting for receipt...");
}

void ModemTransport::HandleSmscData(const std::string& data) {
  Impl& m = *impl_;
  std::string rest = data;
  if (!m.frame_written) return;
  if (!m.stx_seen && rest.find(kStx) == std::string::npos) return;
  m.context.SetStatusLine("Waiting for receipt...");
  // An answer and the notification may arrive in one read; each frame counts.
  std::string frame;
  while (m.NextFrame(rest, frame)) {
    if (m.frame_count == 0) {
      // Until the answer comes, whatever is not one is noise on the line;
      // the ReceiptTimer still bounds the wait.
      std::optional<SubmitAnswer> answer = ReadSubmitAnswer(frame);
      if (!answer) continue;
      ++m.frame_count;
      bool waiting_for_notification =
          answer->positive && !m.state.NoReceipt(m.settings.EjKvittoOn) && !m.state.deferred;
      m.HandleAnswer(*answer);
      if (!waiting_for_notification) return;
    } else {
      ++m.frame_count;
      m.HandleNotification(frame);
      return;
    }
  }
}

void ModemTransport::Impl::HandleAnswer(const SubmitAnswer& answer) {
  if (answer.positive) {
    state.accepted = true;
    answer_ref = answer.system_message;
    record.Accepted(answer_ref);
    if (state.NoReceipt(settings.EjKvittoOn) || state.deferred) {
      context.StopReceiptTimer();
      context.SetReceiptLine(kReceiptSent);
      context.Beep();
      ResetReceiveState();
      context.EndSend();
    }
    // Otherwise the notification is awaited while the ReceiptTimer runs on.
    return;
  }
  stx_seen = false;
  frame_count = 0;
  ++retry_count;
  buffer.clear();

  const std::string& code = answer.error_code;
  if (code == "01" || code == "02") {
    bool checksum = code == "01";
    if (retry_count < 3) {
      context.SetReceiptLine(checksum ? "Checksumerror!   Sending message again."
                                      : "Syntax error!   Sending message again.");
      owner.TransmitFrame();
      return;
    }
    context.SetReceiptLine(checksum ? "Checksumerror!   Disconnecting."
                                    : "Syntax error!  Disconnecting.");
  } else if (code == "04") {
    context.SetReceiptLine("Operation not allowed!");
  } else if (code == "05") {
    context.SetReceiptLine("Call barring active!");
  } else if (code == "06") {
    context.SetReceiptLine("Wrong phonenumber");
  } else if (code == "22") {
    context.SetReceiptLine("Time period not valid!");
  } else if (code == "24") {
    context.SetReceiptLine("Message too long!");
  } else {
    context.SetReceiptLine("Unknown error!");
  }
  record.Refused(context.ReceiptLine());
  retry_count = 0;
  context.EndSend();
}

void ModemTransport::Impl::HandleNotification(const std::string& frame) {
  // The checksum is the last two characters, over everything before them.
  bool intact = frame.size() >= 2;
  if (intact) {
    std::string body = frame.substr(0, frame.size() - 2);
    intact = UcpChecksum(body) == frame.substr(frame.size() - 2);
  }
  if (!intact) {
    context.SetReceiptLine("Incorrect receipt from operator.");
  } else {
    owner.SendConfirmation();
    context.SetReceiptLine(NotificationText(frame));
    if (const std::optional<DeliveryOutcome> outcome = NotifiedOutcome(frame)) {
      record.Receipt(answer_ref, *outcome, context.ReceiptLine());
    }
  }
  context.StopReceiptTimer();
  context.Beep();
  ResetReceiveState();
  context.EndSend();
}

void ModemTransport::SendConfirmation() {
  Impl& m = *impl_;
  m.context.SetStatusLine("Sending confirmation...");
  m.port.SetRtsEnable(true);
  m.port.Output(kStx + ReceiptFrame(m.state.transaction_reference) + kEtx);
  WaitUntil(m.context.Loop(), [&] { return m.port.OutBufferCount() == 0; });
}

void ModemTransport::SendDouble() {
  Impl& m = *impl_;
  SendState& state = m.state;
  const std::string full_text = state.message;
  auto stopped = [&] {
    return state.init_failed || state.dial_failed || state.cancelled || state.finished;
  };
  auto give_up = [&] {
    m.record.EndDouble();
    m.part_index = 0;
    m.first_of_two = false;
    state.keep_line = false;
    m.context.EndSend();
  };
  auto send_part = [&](const std::string& text) {
    state.message = text;
    BuildSubmitFrame();
    TransmitFrame();
    if (stopped()) return false;
    state.later_part = true;
    WaitUntil(m.context.Loop(), [&] { return state.ended || stopped(); });
    return !stopped();
  };

  const std::string first_part(Utf8Prefix(full_text, 160));
  state.message = first_part;
  state.keep_line = true;
  InitModem();
  if (stopped() || !Connect() || stopped()) return give_up();

  m.first_of_two = true;
  m.record.BeginDouble();
  if (!send_part(first_part)) return give_up();
  m.record.EndDouble();
  m.part_index = 1;
  m.first_of_two = false;
  ++state.transaction_reference;
  state.ended = false;
  state.keep_line = false;
  state.accepted = false;
  if (!send_part(full_text.substr(first_part.size()))) return give_up();
  m.part_index = 0;
}

void ModemTransport::HangUp() {
  Impl& m = *impl_;
  m.context.SetStatusLine("Hanging up...");
  // A short drop of DTR makes a modem set to AT&D2 hang up.
  bool dtr = m.port.DtrEnable();
  m.port.SetDtrEnable(true);
  m.port.SetDtrEnable(false);
  m.port.SetDtrEnable(dtr);
  if (m.port.IsOpen()) m.port.Close();
  // A closed port reads as no carrier, which ends this wait.
  WaitUntil(m.context.Loop(), [&] { return !m.port.CdHolding(); });
}

void ModemTransport::StopTimers() {
  Impl& m = *impl_;
  // Every end of an exchange comes here: a frame written and never answered
  // may have reached the centre.
  m.record.Unanswered(m.context.ReceiptLine());
  m.setup_timer->Stop();
  m.ResetReceiveState();
}

bool ModemTransport::CarrierHeld() const { return impl_->port.CdHolding(); }

}  // namespace tolvane
