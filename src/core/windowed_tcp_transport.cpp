#include "core/windowed_tcp_transport.h"

#include <algorithm>
#include <cctype>
#include <chrono>

#include "core/delivery_time.h"
#include "core/message_cut.h"
#include "core/part_receipts.h"
#include "core/receipt_texts.h"
#include "sms/file_reference_counter.h"
#include "sms/no_references.h"

namespace tolvane {
namespace {

constexpr int kConnectMs = 30000;
constexpr int kLoginMs = 30000;

}  // namespace

WindowedTcpTransport::WindowedTcpTransport(SendContext& context, TcpConnection& connection,
                                           FileSystem& files)
    : context_(context),
      tcp_(connection),
      files_(files),
      state_(context.State()),
      settings_(context.Settings()),
      link_timer_(context.Loop().CreateTimer()),
      sending_(context, *this) {
  link_timer_->SetInterval(1000);
  link_timer_->SetCallback([this] { CheckLink(); });
  tcp_.SetOnConnected([this] {
    connected_ = true;
    login_deadline_ = context_.Loop().Now() + std::chrono::milliseconds(kLoginMs);
    ShowStatus("Logging in to " + where_ + "...");
    WriteLogin();
  });
  tcp_.SetOnData([this](const std::string& bytes) { OnData(bytes); });
  tcp_.SetOnClosed([this](const std::string& reason) {
    broken_ = reason;
    OnClosed();
  });
}

WindowedTcpTransport::~WindowedTcpTransport() {
  tcp_.SetOnConnected(nullptr);
  tcp_.SetOnData(nullptr);
  tcp_.SetOnClosed(nullptr);
}

void WindowedTcpTransport::Configure(const std::function<void(int error_number)>& report_error) {
  if (!ConfiguredPort() && report_error) report_error(kErrorInvalidPropertyValue);
  if (tcp_.IsOpen()) reconfigured_ = true;
}

void WindowedTcpTransport::EndStaleSession() {
  if (!reconfigured_) return;
  reconfigured_ = false;
  if (SessionHolds()) Logout();
  Close();
}

std::string WindowedTcpTransport::RefusalOf(std::string_view text) const {
  NoReferences references;
  return RefusalFor(PrepareMessage(text, settings_.MaxParts, references), text);
}

void WindowedTcpTransport::SendSingle() { sending_.SendSingle(); }

void WindowedTcpTransport::SendDouble() {
  SendSingle();
  if (!state_.ended) context_.EndSend();
}

bool WindowedTcpTransport::OpenRun() { return sending_.OpenRun(); }

bool WindowedTcpTransport::SendMember(int /*following*/) { return sending_.SendMember(); }

void WindowedTcpTransport::CloseRun(bool interrupted) { sending_.CloseRun(interrupted); }

bool WindowedTcpTransport::ConnectionLost() const {
  return session_ && (!tcp_.IsOpen() || !broken_.empty());
}

bool WindowedTcpTransport::LineHeld() const { return tcp_.IsOpen(); }

void WindowedTcpTransport::HangUp() {
  if (!Listening()) {
    Logout();
    Close();
  }
  sending_.Reset();
}

std::string WindowedTcpTransport::ClosingStatus() const {
  return Listening() ? "" : LogoutStatus();
}

std::string WindowedTcpTransport::Listen() {
  listening_ = true;
  if (Held()) return {};
  EndStaleSession();
  login_refused_ = false;
  listen_attempt_ = true;
  std::string failure = Open();
  listen_attempt_ = false;
  // A send that came meanwhile may have opened the session itself.
  if (Held()) return {};
  // A send under way ends its own connection.
  if (!state_.sending) Close();
  if (failure.empty()) failure = broken_.empty() ? "the session ended" : broken_;
  return failure;
}

void WindowedTcpTransport::StopListening() {
  listening_ = false;
  // A send under way hangs up at its end.
  if (!state_.sending && tcp_.IsOpen()) HangUp();
}

void WindowedTcpTransport::ReceiptCame(const std::string& id, DeliveryOutcome outcome,
                                       const std::string& reason) {
  if (window()) {
    window()->Receipt(id, outcome, reason);
  } else if (const std::optional<MessageState> state = ReceiptState(outcome, reason)) {
    context_.Ledger().LateReceipt(id, *state, reason);
  }
}

void WindowedTcpTransport::Close() {
  link_timer_->Stop();
  session_ = false;
  if (window()) window()->SetOpen(false);
  tcp_.Close();
}

bool WindowedTcpTransport::Connect(const std::string& host, int port, bool tls,
                                   const std::string& where, std::string& reason) {
  ShowStatus("Connecting to " + where + "...");
  Close();
  where_ = where;
  login_deadline_ = context_.Loop().Now() + std::chrono::milliseconds(kConnectMs);
  ResetReader();
  broken_.clear();
  connected_ = false;
  tcp_.Connect(host, port, tls);
  if (Wait(
          kConnectMs, [this] { return connected_; }, true))
    return true;
  std::string far_end = FarEnd();
  far_end[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(far_end[0])));
  reason = broken_.empty()
               ? far_end + " cannot be reached at " + where + ": no connection within 30 seconds"
               : far_end + " cannot be reached: " + broken_;
  return false;
}

std::string WindowedTcpTransport::AwaitLogin(const std::string& no_answer) {
  Wait(
      kLoginMs, [this] { return session_ || login_refused_; }, true);
  if (session_) return {};
  if (login_refused_) return login_refusal_;
  if (Stopped()) return kReceiptCancelled;
  if (!broken_.empty()) return "No login at " + FarEnd() + ": " + broken_;
  return no_answer;
}

void WindowedTcpTransport::LoggedIn() {
  session_ = true;
  link_timer_->Start();
  ShowStatus("Logged in to " + where_);
  if (window()) window()->SetOpen(true);
}

void WindowedTcpTransport::LoginRefusedFor(const std::string& why) {
  login_refused_ = true;
  login_refusal_ = "Login refused: " + why;
}

bool WindowedTcpTransport::LoginSettled() const {
  return session_ || login_refused_ || !broken_.empty() || context_.Loop().Now() >= login_deadline_;
}

void WindowedTcpTransport::ShowStatus(const std::string& text) {
  if (!Unattended()) context_.SetStatusLine(text);
}

bool WindowedTcpTransport::Wait(int timeout_ms, const std::function<bool()>& done, bool stoppable) {
  WaitFor(context_.Loop(), timeout_ms,
          [&] { return done() || !broken_.empty() || (stoppable && Stopped()); });
  return done();
}

bool WindowedTcpTransport::Break(const std::string& reason) {
  if (!broken_.empty()) return false;
  broken_ = reason;
  return true;
}

std::optional<TimePoint> WindowedTcpTransport::DeliveryLater() const {
  if (!state_.deferred) return std::nullopt;
  const std::optional<TimePoint> at = DeliveryTimePoint(state_.delivery_time);
  if (at && *at > context_.Loop().Now()) return at;
  return std::nullopt;
}

bool WindowedTcpTransport::Start() {
  state_.attempted = true;
  // A Listen is opening the session: its login's answer serves this send.
  const bool joined = listen_attempt_;
  while (listen_attempt_ && !LoginSettled() && !Stopped()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(login_deadline_ -
                                                                            context_.Loop().Now());
    WaitFor(context_.Loop(), static_cast<int>(std::max<long long>(1, left.count())),
            [this] { return LoginSettled() || Stopped(); });
  }
  if (Held()) return true;
  // A login refused a moment ago is not tried again at once.
  std::string refusal = joined && login_refused_ ? login_refusal_ : "";
  if (refusal.empty()) {
    EndStaleSession();
    login_refused_ = false;
    refusal = Open();
    if (refusal.empty()) return true;
  }
  Close();
  context_.SetReceiptLine(refusal);
  state_.init_failed = true;
  return false;
}

std::unique_ptr<SubmitWindow> WindowedTcpTransport::MakeWindow() {
  auto window =
      std::make_unique<SubmitWindow>(context_, WindowSize(), Timing(),
                                     [this](const std::string& part) { return SubmitPart(part); });
  window->SetOpen(SessionHolds());
  return window;
}

std::optional<WindowedSending::Prepared> WindowedTcpTransport::Prepare() {
  const SmsMessage message = CutMessage(context_, files_, state_.message);
  WindowedSending::Prepared prepared;
  const std::string refusal = Fill(message, prepared);
  if (!refusal.empty()) {
    state_.attempted = true;
    FinishSend(context_, refusal);
    return std::nullopt;
  }
  // A message resumed after a restart sends only the parts never written.
  prepared.indices =
      context_.Ledger().PendingParts(state_.message_id, static_cast<int>(prepared.parts.size()));
  std::vector<std::string> pending;
  for (int index : prepared.indices) pending.push_back(std::move(prepared.parts[index]));
  prepared.parts = std::move(pending);
  return prepared;
}

}  // namespace tolvane
