#include "gateway/gateway_transport.h"

#include <algorithm>

#include "core/part_receipts.h"
#include "core/part_record.h"
#include "gateway/form_encoding.h"
#include "gateway/gateway_client.h"
#include "gateway/kolla_header.h"
#include "platform/text_codec.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

constexpr char kSendPath[] = "/servlet/norvoServlet/standardAccount/sendSingleSMS";
constexpr char kRequestHeader[] = "Content-type: application/x-www-form-urlencoded\r\n";
constexpr int kChunkSize = 1024;
// Only the status line counts, and only as far as the code and the start of
// the reason phrase.
constexpr size_t kStatusLength = 20;
constexpr size_t kPartLength = 160;
constexpr size_t kMaxSecondPartLength = 320;

std::string StatusLine(const std::string& headers) {
  return headers.substr(0, std::min(headers.find_first_of("\r\n"), kStatusLength));
}

}  // namespace

struct GatewayTransport::Impl {
  Impl(SendContext& context, HttpClient& client)
      : context(context), client(client), record(context) {}

  SendState& State() { return context.State(); }
  bool Interrupted() { return State().cancelled || State().finished; }

  // Starts the watchdog and the request built by FixaStrangTCP, once the
  // store holds that it goes.
  void Post() {
    if (const std::string refusal = record.Writing(part_index); !refusal.empty()) {
      FinishSend(context, refusal);
      return;
    }
    State().receipt_ticks = 0;
    context.StartReceiptTimer();
    client.Execute(url, "POST", body, kRequestHeader);
  }

  // The client's state event.
  void OnStateChanged(int state) {
    if (state == HttpClient::kStateResponseCompleted) {
      // The client holds the whole answer by now; the body is drained but
      // not used.
      while (!client.GetChunk(kChunkSize).empty()) {
      }
      const std::string status = StatusLine(client.GetHeader());
      context.SetReceiptLine(KollaHeader(status));
      State().accepted = GatewayAccepted(status);
      // A status of no known code does not say whether the message went.
      if (State().accepted) {
        record.Accepted(GatewayStatus(status));
      } else if (GatewayStatus(status).empty()) {
        record.Unanswered(context.ReceiptLine());
      } else {
        record.Refused(context.ReceiptLine());
      }
      context.Beep();
      context.EndSend();
    } else if (state == HttpClient::kStateError) {
      context.SetReceiptLine("Error: " + std::to_string(client.ResponseCode()) + ":" +
                             client.ResponseInfo());
      record.Unanswered(context.ReceiptLine());
      if (client.StillExecuting()) {
        client.Cancel();
        WaitUntil(context.Loop(), [this] { return !client.StillExecuting(); });
      }
      State().finished = true;
    }
  }

  SendContext& context;
  HttpClient& client;
  PartRecord record;
  // Of the message's parts, the one posted: 1 for the second request of a
  // double message.
  int part_index = 0;
  std::string url;
  std::string body;
};

GatewayTransport::GatewayTransport(SendContext& context, HttpClient& client)
    : impl_(std::make_unique<Impl>(context, client)) {
  client.SetOnStateChanged([impl = impl_.get()](int state) { impl->OnStateChanged(state); });
}

GatewayTransport::~GatewayTransport() { impl_->client.SetOnStateChanged(nullptr); }

void GatewayTransport::Configure(const std::function<void(int error_number)>& /*report_error*/) {
  ConfigureProxy(impl_->client, impl_->context.Settings());
}

void GatewayTransport::FixaStrangTCP() {
  const ProgramSettings& settings = impl_->context.Settings();
  const SendState& state = impl_->State();
  impl_->url = GatewayAddress(settings.TCPGateway, kSendPath);
  impl_->body = "protocolVersion=1.0&accountName=" + FormEncode(settings.TCPAnvNamn) +
                "&accountPassword=" + FormEncode(settings.GatewayPassword) +
                "&toPhoneNumber=" + FormEncode(state.recipient_number) +
                "&message=" + EscapeGatewayMessage(Utf8ToCp1252(state.message)) +
                "&followingMessages=" + std::to_string(state.following_count) +
                "&timeoutMS=" + (state.NoReceipt(settings.EjKvittoOn) ? "2000" : "40000");
}

void GatewayTransport::KvittoDelay() {
  SendContext& context = impl_->context;
  if (!impl_->State().NoReceipt(context.Settings().EjKvittoOn)) {
    // A Cancel during the pause has already ended the send; the lines it
    // left must stay.
    WaitFor(context.Loop(), 2000, [this] { return impl_->State().cancelled; });
    if (impl_->State().cancelled) return;
  }
  context.SetReceiptLine("");
  context.SetStatusLine("Waiting for receipt...");
  context.SetReceiptCaption("Receipt for sending to: " + impl_->State().recipient_name);
}

void GatewayTransport::Post() { impl_->Post(); }

void GatewayTransport::SandSingelTCP() {
  impl_->State().attempted = true;
  impl_->context.SetStatusLine("Connecting...");
  FixaStrangTCP();
  KvittoDelay();
  // Nothing goes out once the user has cancelled during the pause.
  if (!impl_->Interrupted()) impl_->Post();
}

void GatewayTransport::SendSingle() {
  SandSingelTCP();
  WaitForExchange(impl_->context);
}

void GatewayTransport::SendDouble() { SandDubbelTCP(); }

bool GatewayTransport::OpenRun() {
  SendState& s = impl_->State();
  s.keep_line = true;
  s.ended = s.cancelled = s.finished = false;
  s.receipt_ticks = 0;
  s.attempted = true;
  impl_->context.SetStatusLine("Connecting...");
  return true;
}

bool GatewayTransport::SendMember(int following) {
  SendState& s = impl_->State();
  // Each request tells the gateway how many of this run follow it.
  s.following_count = following;
  FixaStrangTCP();
  if (impl_->Interrupted()) return false;
  KvittoDelay();
  // Nothing goes out once the user has cancelled during the pause.
  if (impl_->Interrupted()) return false;
  s.accepted = false;
  Post();
  WaitUntil(impl_->context.Loop(), [&] { return s.ended || impl_->Interrupted(); });
  // Cancel ends the exchange itself and so sets ended too: the flags decide.
  return !impl_->Interrupted();
}

void GatewayTransport::CloseRun(bool interrupted) {
  // The last member's answer has ended the send.
  if (!interrupted) return;
  StopExchange();
  impl_->State().keep_line = false;
  impl_->context.EndSend();
}

void GatewayTransport::Cancel() {
  StopExchange();
  impl_->context.EndSend();
}

void GatewayTransport::SandDubbelTCP() {
  SendContext& context = impl_->context;
  SendState& state = impl_->State();
  state.attempted = true;
  const std::string full_text = state.message;

  // Sends one part and waits for its exchange to end; false when the run was
  // cancelled or failed instead.
  auto send_part = [&](const std::string& part, int following, bool keep_line) {
    state.message = part;
    state.keep_line = keep_line;
    state.following_count = following;
    FixaStrangTCP();
    KvittoDelay();
    if (!impl_->Interrupted()) impl_->Post();
    WaitUntil(context.Loop(), [&] { return state.ended || impl_->Interrupted(); });
    // Cancel ends the send itself and so sets ended too: the flags decide.
    return !impl_->Interrupted();
  };

  context.SetStatusLine("Connecting...");
  const std::string_view first_part = Utf8Prefix(full_text, kPartLength);
  impl_->record.BeginDouble();
  bool done = send_part(std::string(first_part), 1, true);
  impl_->record.EndDouble();
  if (done) {
    state.following_count = 0;
    state.ended = false;
    impl_->part_index = 1;
    done = send_part(
        std::string(Utf8Prefix(full_text.substr(first_part.size()), kMaxSecondPartLength)), 0,
        false);
  }
  impl_->part_index = 0;
  state.keep_line = false;
  if (!done) {
    StopExchange();
    context.EndSend();
  }
}

void GatewayTransport::StopTimers() { impl_->record.Unanswered(impl_->context.ReceiptLine()); }

void GatewayTransport::StopExchange() {
  if (impl_->client.StillExecuting()) impl_->client.Cancel();
}

}  // namespace tolvane
