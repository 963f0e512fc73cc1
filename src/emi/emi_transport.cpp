#include "emi/emi_transport.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "core/delivery_time.h"
#include "core/part_receipts.h"
#include "core/receipt_texts.h"
#include "core/secret_names.h"
#include "core/secret_store.h"
#include "core/settings_values.h"
#include "core/submit_window.h"
#include "core/windowed_sending.h"
#include "emi/emi_errors.h"
#include "emi/emi_frame_reader.h"
#include "emi/emi_operations.h"
#include "sms/file_reference_counter.h"
#include "sms/no_references.h"
#include "sms/sms_address.h"
#include "sms/sms_message.h"
#include "text/utf8.h"
#include "text/whole_number.h"
#include "ucp/ucp_frame.h"

namespace tolvane {
namespace {

constexpr int kConnectMs = 30000;
constexpr int kLoginMs = 30000;
constexpr int kAnswerMs = 60000;
constexpr int kDefaultWindow = 10;
// TRNs are two digits: one of the hundred stays free for the keep-alive.
constexpr int kMaxWindow = 99;
constexpr int kTransactions = 100;
constexpr int kDefaultKeepalive = 50;
// 1, 2, 4, 8, 16 seconds: a transient error this often more ends the part.
constexpr int kTransientRetries = 5;
constexpr int kLongestBackoffMs = 16000;
// Closing drops what the socket has not sent yet: the answer to the last
// notification gets this long to leave.
constexpr int kLingerMs = 200;

constexpr char kNoHost[] = "No SMS centre is set: [EMI] Host in tolvmsg.ini";

bool DialUp(const ProgramSettings& settings) {
  return settings.EmiOperation == kOperationDialUpSubmit;
}

const char* SubmitOperation(const ProgramSettings& settings) {
  return DialUp(settings) ? kOperationDialUpSubmit : kOperationSubmit;
}

// Why the settings cannot carry the message: operation 30 neither Unicode
// nor linked parts, IRA no character outside ASCII. Empty when they can.
std::string SettingsRefusal(const ProgramSettings& settings, const SmsMessage& message,
                            std::string_view text) {
  if (!message.error.empty()) return message.error;
  if (DialUp(settings) && message.encoding == SmsEncoding::kUcs2) {
    return "Not sent: [EMI] Operation 30 carries no Unicode, and this text needs it";
  }
  if (DialUp(settings) && message.parts.size() > 1) {
    return "Not sent: [EMI] Operation 30 carries no linked parts, and this text needs " +
           std::to_string(message.parts.size());
  }
  if (EmiAlphabetOf(settings.EmiAlphabet) == EmiAlphabet::kIra &&
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

struct EmiTransport::Impl : WindowedSending::Session {
  struct Address {
    std::string host;
    std::string port;
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
    tcp.SetOnClosed([this](const std::string& reason) {
      broken = reason;
      // The next connection tries the other host first.
      if (session) address_index = (address_index + 1) % Addresses().size();
    });
  }
  ~Impl() override {
    tcp.SetOnConnected(nullptr);
    tcp.SetOnData(nullptr);
    tcp.SetOnClosed(nullptr);
  }

  void OnData(const std::string& bytes);
  void Handle(const UcpFrame& frame);
  void Write(const std::string& frame) {
    last_traffic = last_written = context.Loop().Now();
    tcp.Write("\x02" + frame + "\x03");
  }
  // The next TRN in turn whose answer is not awaited. A submit's TRN is
  // never one the window still holds a part under, whatever time passed.
  int NextTransaction(bool submit);
  // An op 31 after `Keepalive` seconds without a byte either way; its answer
  // is not awaited, a dead connection shows itself by closing.
  void CheckLink() {
    if (session && !login_trn && tcp.IsOpen() && broken.empty() && keepalive_seconds > 0 &&
        context.Loop().Now() - last_traffic >= std::chrono::seconds(keepalive_seconds)) {
      Write(AlertFrame(NextTransaction(false), settings.EmiUser));
    }
  }

  // Processes events until `done`, the time-out, a broken connection or
  // (with `stoppable`) Cancel or the end of the send; true when `done`.
  bool Wait(int timeout_ms, const std::function<bool()>& done, bool stoppable);
  bool Stopped() const { return state.cancelled || state.finished; }
  std::vector<Address> Addresses() const;

  SubmitWindow* window() const { return sending.Window(); }

  // The connection made (to the host that last held, or the other when it
  // cannot be reached) and logged in.
  bool Start() override;
  bool Connect(const Address& address, std::string& reason);
  // Empty once logged in; otherwise why not.
  std::string Login(const std::string& address);
  std::unique_ptr<SubmitWindow> MakeWindow() override;
  std::optional<WindowedSending::Prepared> Prepare() override;
  void Close() override;
  const std::string& Broken() const override { return broken; }
  bool LoginRefused() const override { return login_refused; }
  std::string UnansweredText() const override { return kReceiptAnswerLost; }
  bool ResendUnanswered() const override { return settings.EmiResendUnanswered == "1"; }
  std::string FarEnd() const override { return "the SMS centre"; }

  SendContext& context;
  TcpConnection& tcp;
  FileSystem& files;
  SendState& state;
  const ProgramSettings& settings;
  std::unique_ptr<Timer> link_timer;
  EmiFrameReader reader;
  bool connected = false;
  // Logged in, from the login's answer to the hang-up.
  bool session = false;
  // The centre refused the last login: not tried again in this send.
  bool login_refused = false;
  // Why the connection ended; empty while it holds.
  std::string broken;
  int keepalive_seconds = kDefaultKeepalive;
  TimePoint last_traffic;
  TimePoint last_written;
  int next_transaction = 0;
  // Until when the answer to the login or the op 31 under each TRN is
  // awaited; the window knows its own.
  std::array<TimePoint, kTransactions> awaited_until{};
  // The TRN of the login whose answer is awaited.
  std::optional<int> login_trn;
  std::optional<EmiResult> login_answer;
  // Which of Addresses() the next connection tries first.
  size_t address_index = 0;
  WindowedSending sending;
};

int EmiTransport::Impl::NextTransaction(bool submit) {
  const TimePoint now = context.Loop().Now();
  // Answers are matched by operation too, so when every TRN is awaited one
  // awaited by another operation will do; the window holds at most 99.
  for (const bool any_operation : {false, true}) {
    for (int tried = 0; tried < kTransactions; ++tried) {
      const int trn = (next_transaction + tried) % kTransactions;
      if ((window() && window()->Holds(trn)) || (!any_operation && awaited_until[trn] > now)) {
        continue;
      }
      next_transaction = (trn + 1) % kTransactions;
      if (!submit) awaited_until[trn] = now + std::chrono::milliseconds(kAnswerMs);
      return trn;
    }
  }
  return next_transaction;
}

void EmiTransport::Impl::OnData(const std::string& bytes) {
  last_traffic = context.Loop().Now();
  for (const std::string& text : reader.Feed(bytes)) {
    // Anything but a sound frame is noise on the line.
    if (const std::optional<UcpFrame> frame = ReadEmiFrame(text)) Handle(*frame);
  }
}

void EmiTransport::Impl::Handle(const UcpFrame& frame) {
  const int trn = frame.transaction_reference;
  if (frame.result) {
    const std::optional<EmiResult> result = ReadResult(frame);
    if (!result) return;
    if (frame.operation == kOperationLogin) {
      awaited_until[trn] = TimePoint{};
      if (login_trn == trn) login_answer = result;
    } else if (frame.operation == kOperationAlert) {
      awaited_until[trn] = TimePoint{};
    } else if (frame.operation == SubmitOperation(settings) && window()) {
      window()->Answered(trn, WindowAnswer(*result));
    }
    return;
  }
  if (frame.operation == kOperationAlert) {
    Write(ResultFrame(frame));
  } else if (frame.operation == kOperationNotification) {
    // Answered whatever it holds, or the centre sends it again and again.
    Write(ResultFrame(frame));
    const std::optional<EmiNotification> notification = ReadNotification(frame);
    if (notification && window()) {
      window()->Receipt(notification->message_key, notification->outcome, notification->reason);
    }
  } else if (frame.operation == kOperationDeliver) {
    Write(ResultFrame(frame));
    if (const std::optional<EmiDelivered> delivered =
            ReadDelivered(frame, EmiAlphabetOf(settings.EmiAlphabet))) {
      context.LogReceived(delivered->sender, delivered->text);
    }
  } else {
    Write(ResultFrame(frame, "03"));  // operation not supported
  }
}

bool EmiTransport::Impl::Wait(int timeout_ms, const std::function<bool()>& done, bool stoppable) {
  WaitFor(context.Loop(), timeout_ms,
          [&] { return done() || !broken.empty() || (stoppable && Stopped()); });
  return done();
}

void EmiTransport::Impl::Close() {
  link_timer->Stop();
  session = false;
  if (window()) window()->SetOpen(false);
  tcp.Close();
}

std::vector<EmiTransport::Impl::Address> EmiTransport::Impl::Addresses() const {
  std::vector<Address> addresses = {{settings.EmiHost, settings.EmiPort}};
  if (!settings.EmiAltHost.empty()) {
    addresses.push_back({settings.EmiAltHost,
                         settings.EmiAltPort.empty() ? settings.EmiPort : settings.EmiAltPort});
  }
  return addresses;
}

bool EmiTransport::Impl::Connect(const Address& address, std::string& reason) {
  const std::string where = address.host + ":" + address.port;
  const std::optional<int> port = ParseProxyPort(address.port);
  if (!port) {
    reason = "The SMS centre's port is not a number from 1 to 65535: " + address.port;
    return false;
  }
  context.SetStatusLine("Connecting to " + where + "...");
  Close();
  reader = EmiFrameReader();
  broken.clear();
  connected = false;
  tcp.Connect(address.host, *port, false);
  if (Wait(
          kConnectMs, [this] { return connected; }, true))
    return true;
  reason = broken.empty() ? "The SMS centre cannot be reached at " + where +
                                ": no connection within 30 seconds"
                          : "The SMS centre cannot be reached: " + broken;
  return false;
}

bool EmiTransport::Impl::Start() {
  state.attempted = true;
  if (session && tcp.IsOpen() && broken.empty()) return true;
  auto fail = [this](const std::string& text) {
    Close();
    context.SetReceiptLine(text);
    state.init_failed = true;
    return false;
  };
  login_refused = false;
  if (settings.EmiHost.empty()) return fail(kNoHost);
  const std::vector<Address> addresses = Addresses();
  std::string reason;
  for (size_t tried = 0; tried < addresses.size(); ++tried) {
    const size_t index = (address_index + tried) % addresses.size();
    const Address& address = addresses[index];
    if (Connect(address, reason)) {
      address_index = index;
      const std::string refusal = Login(address.host + ":" + address.port);
      return refusal.empty() || fail(refusal);
    }
    if (state.cancelled) return fail(kReceiptCancelled);
  }
  return fail(reason);
}

std::string EmiTransport::Impl::Login(const std::string& address) {
  context.SetStatusLine("Logging in to " + address + "...");
  next_transaction = 0;
  awaited_until.fill(TimePoint{});
  login_answer.reset();
  login_trn = NextTransaction(false);
  Write(LoginFrame(*login_trn, settings.EmiUser,
                   SecretStore(settings.ProgramFolder).ReadSecret(kEmiSecret)));
  const bool answered = Wait(
      kLoginMs, [this] { return login_answer.has_value(); }, true);
  login_trn.reset();
  if (!answered) {
    if (Stopped()) return kReceiptCancelled;
    if (!broken.empty()) return "No login at the SMS centre: " + broken;
    return "The SMS centre did not answer the login within 30 seconds";
  }
  if (!login_answer->positive) {
    login_refused = true;
    return "Login refused: " + EmiErrorText(login_answer->error_code);
  }
  session = true;
  keepalive_seconds = ParseNumberIn(settings.EmiKeepalive, 0, 3600).value_or(kDefaultKeepalive);
  link_timer->Start();
  context.SetStatusLine("Logged in to " + address);
  if (window()) window()->SetOpen(true);
  return {};
}

std::unique_ptr<SubmitWindow> EmiTransport::Impl::MakeWindow() {
  WindowTiming timing;
  timing.answer_ms = kAnswerMs;
  timing.longest_backoff_ms = kLongestBackoffMs;
  timing.retries = kTransientRetries;
  const int size = ParseNumberIn(settings.EmiWindow, 1, kMaxWindow).value_or(kDefaultWindow);
  auto window =
      std::make_unique<SubmitWindow>(context, size, timing, [this](const std::string& part) {
        const int trn = NextTransaction(true);
        Write(RenumberUcpFrame(part, trn));
        return trn;
      });
  window->SetOpen(session && tcp.IsOpen() && broken.empty());
  return window;
}

std::optional<WindowedSending::Prepared> EmiTransport::Impl::Prepare() {
  FileReferenceCounter references(files, settings.ProgramFolder);
  const SmsMessage message = PrepareMessage(context.MessageText(), settings.MaxParts, references);
  state.message = context.MessageText();
  std::string refusal = SettingsRefusal(settings, message, context.MessageText());
  EmiSubmit submit;
  submit.operation = SubmitOperation(settings);
  submit.alphabet = EmiAlphabetOf(settings.EmiAlphabet);
  if (DialUp(settings)) {
    // The dial-up form has no OTOA: the digits of Avs, as the modem sends them.
    submit.sender = state.sender_number;
  } else if (const std::optional<SmsAddress> source = SenderAddress(settings.Avs, "", refusal)) {
    submit.sender = source->value;
    submit.alphanumeric_sender = source->ton == 5;
  }
  submit.recipient = (state.recipient_international ? "00" : "") + state.recipient_number;
  if (refusal.empty() && state.recipient_number.empty()) refusal = "Not sent: no number";
  // A message for later waits at the centre; its notification would come at
  // that time at the earliest, so none is asked for.
  if (state.deferred) {
    const std::optional<TimePoint> at = DeliveryTimePoint(state.delivery_time);
    if (at && *at > context.Loop().Now()) submit.delivery_time = state.delivery_time;
  }
  if (settings.Validity > 0) {
    submit.validity =
        EmiTime(Clock::to_time_t(context.Loop().Now() + std::chrono::minutes(settings.Validity)));
  }
  submit.notification = !settings.EjKvittoOn && submit.delivery_time.empty();
  WindowedSending::Prepared prepared;
  prepared.wants_receipts = submit.notification;
  for (const SmsPart& part : message.parts) {
    if (!refusal.empty()) break;
    prepared.parts.push_back(SubmitFrame(0, submit, part, message.encoding).value_or(""));
  }
  if (!refusal.empty()) {
    state.attempted = true;
    FinishSend(context, refusal);
    return std::nullopt;
  }
  return prepared;
}

EmiTransport::EmiTransport(SendContext& context, TcpConnection& connection, FileSystem& files)
    : impl_(std::make_unique<Impl>(context, connection, files)) {}

EmiTransport::~EmiTransport() = default;

void EmiTransport::Configure(const std::function<void(int error_number)>& report_error) {
  if (!ParseProxyPort(impl_->settings.EmiPort) && report_error) {
    report_error(kErrorInvalidPropertyValue);
  }
}

std::string EmiTransport::RefusalOf(std::string_view text) const {
  NoReferences references;
  return SettingsRefusal(impl_->settings,
                         PrepareMessage(text, impl_->settings.MaxParts, references), text);
}

void EmiTransport::SendSingle() { impl_->sending.SendSingle(); }

void EmiTransport::SendDouble() {
  SendSingle();
  if (!impl_->state.ended) impl_->context.EndSend();
}

bool EmiTransport::OpenRun() { return impl_->sending.OpenRun(); }

bool EmiTransport::SendMember(int /*following*/) { return impl_->sending.SendMember(); }

void EmiTransport::CloseRun(bool interrupted) { impl_->sending.CloseRun(interrupted); }

bool EmiTransport::ConnectionLost() const {
  return impl_->session && (!impl_->tcp.IsOpen() || !impl_->broken.empty());
}

bool EmiTransport::LineHeld() const { return impl_->tcp.IsOpen(); }

// UCP has no logout: the session ends with its connection.
void EmiTransport::HangUp() {
  Impl& m = *impl_;
  const auto since = m.context.Loop().Now() - m.last_written;
  if (m.tcp.IsOpen() && since < std::chrono::milliseconds(kLingerMs)) {
    WaitFor(m.context.Loop(),
            static_cast<int>(kLingerMs -
                             std::chrono::duration_cast<std::chrono::milliseconds>(since).count()));
  }
  m.Close();
  m.sending.Reset();
}

}  // namespace tolvane
