#include "core/windowed_tcp_transport.h"

#include <cctype>

#include "core/delivery_time.h"
#include "core/message_cut.h"
#include "core/part_receipts.h"
#include "sms/file_reference_counter.h"
#include "sms/no_references.h"

namespace tolvane {
namespace {

constexpr int kConnectMs = 30000;

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
  tcp_.SetOnConnected([this] { connected_ = true; });
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
  Logout();
  Close();
  sending_.Reset();
}

void WindowedTcpTransport::Close() {
  link_timer_->Stop();
  session_ = false;
  if (window()) window()->SetOpen(false);
  tcp_.Close();
}

bool WindowedTcpTransport::Connect(const std::string& host, int port, bool tls,
                                   const std::string& where, std::string& reason) {
  context_.SetStatusLine("Connecting to " + where + "...");
  Close();
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

void WindowedTcpTransport::LoggedIn(const std::string& where) {
  session_ = true;
  link_timer_->Start();
  context_.SetStatusLine("Logged in to " + where);
  if (window()) window()->SetOpen(true);
}

std::string WindowedTcpTransport::LoginRefusal(const std::string& why) {
  login_refused_ = true;
  return "Login refused: " + why;
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
  if (SessionHolds()) return true;
  login_refused_ = false;
  const std::string refusal = Open();
  if (refusal.empty()) return true;
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
  const SmsMessage message = CutMessage(context_, files_, context_.MessageText());
  state_.message = context_.MessageText();
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
