#include "gsm/gsm_link.h"

#include <charconv>
#include <optional>
#include <utility>

namespace tolvane {
namespace {

constexpr char kCtrlZ = '\x1A';
constexpr char kEscape = '\x1B';
constexpr int kReportCommandMs = 10000;

std::optional<int> LeadingNumber(std::string_view text) {
  int value = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || ptr == text.data()) return std::nullopt;
  return value;
}

constexpr int kStoreFull = 322;

// The index of a `+CDSI: "SM",3` or `+CMTI: "SM",3` line.
std::optional<int> StoredIndex(std::string_view field) {
  const size_t comma = field.rfind(',');
  if (comma == std::string_view::npos) return std::nullopt;
  return LeadingNumber(field.substr(comma + 1));
}

}  // namespace

std::string AtReply::Value(std::string_view prefix) const {
  for (const std::string& line : lines) {
    if (std::optional<std::string> field = Field(line, prefix)) return *field;
  }
  return {};
}

GsmLink::GsmLink(EventLoop& loop, SerialPort& port, std::function<bool()> stopped)
    : loop_(loop), port_(port), stopped_(std::move(stopped)), timer_(loop.CreateTimer()) {
  timer_->SetSingleShot(true);
  timer_->SetCallback([this] { timed_out_ = true; });
  port_.SetOnComm([this](CommEvent event) {
    if (event == CommEvent::kReceive) OnData();
  });
}

GsmLink::~GsmLink() { port_.SetOnComm(nullptr); }

void GsmLink::Reset() {
  reader_.Clear();
  in_command_ = prompt_seen_ = final_seen_ = false;
  cds_pdu_next_ = read_pdu_next_ = false;
  acknowledgements_due_ = 0;
  stored_reports_.clear();
  reports_.clear();
  new_messages_.clear();
  store_full_ = false;
}

void GsmLink::OnData() {
  reader_.Feed(port_.Input());
  while (std::optional<AtAnswer> answer = reader_.Next()) Handle(*answer);
}

void GsmLink::Handle(const AtAnswer& answer) {
  if (answer.kind == AtAnswer::Kind::kPrompt) {
    prompt_seen_ = true;
    return;
  }
  const std::string& line = answer.text;
  if (cds_pdu_next_) {
    cds_pdu_next_ = false;
    TakeReport(line);
    if (acknowledge_) ++acknowledgements_due_;
    if (on_news_) on_news_();
    return;
  }
  if (read_pdu_next_) {
    read_pdu_next_ = false;
    TakeReport(line);
    reply_.pdus.emplace_back(read_pdu_index_, line);
    return;
  }
  if (Field(line, "+CDS")) {
    cds_pdu_next_ = true;
    return;
  }
  // A report or a message stored and announced by its index.
  auto announced = [&](std::string_view prefix, auto& indexes) {
    const std::optional<std::string> field = Field(line, prefix);
    if (!field) return false;
    if (std::optional<int> index = StoredIndex(*field)) {
      indexes.push_back(*index);
      if (on_news_) on_news_();
    }
    return true;
  };
  if (announced("+CDSI", stored_reports_) || announced("+CMTI", new_messages_)) return;
  if (!in_command_ && ErrorCode(line, "+CMS ERROR") == kStoreFull) {
    store_full_ = true;
    if (on_news_) on_news_();
    return;
  }
  // Echo of a command (before ATE0 takes effect), or a line nobody waits for.
  if (!in_command_ || line.starts_with("AT")) return;
  if (Field(line, "+CMGR")) {
    read_pdu_next_ = true;
    read_pdu_index_ = -1;
  } else if (std::optional<std::string> field = Field(line, "+CMGL")) {
    // +CMGL: <index>,<stat>,[<alpha>],<length>
    read_pdu_next_ = true;
    read_pdu_index_ = LeadingNumber(*field).value_or(-1);
  }
  if (IsFinalOk(line) || IsFinalError(line)) {
    reply_.final_line = line;
    reply_.outcome = IsFinalOk(line) ? AtReply::Outcome::kOk : AtReply::Outcome::kError;
    final_seen_ = true;
    return;
  }
  reply_.lines.push_back(line);
}

void GsmLink::TakeReport(const std::string& hex) {
  // Most modems give the service-centre address first; some leave it out.
  std::optional<StatusReport> report = ReadStatusReport(hex, ServiceCentrePrefix::kIncluded);
  if (!report) report = ReadStatusReport(hex, ServiceCentrePrefix::kOmitted);
  if (report) reports_.push_back(*report);
}

bool GsmLink::WaitFor(int timeout_ms, const std::function<bool()>& done) {
  timed_out_ = false;
  timer_->SetInterval(timeout_ms);
  timer_->Start();
  WaitUntil(loop_, [&] { return done() || timed_out_ || stopped_(); });
  timer_->Stop();
  return done();
}

AtReply GsmLink::Command(const std::string& command, int timeout_ms) {
  reply_ = {};
  // A command sent now would be answered into the next one's wait.
  if (stopped_()) {
    reply_.outcome = AtReply::Outcome::kStopped;
    return reply_;
  }
  final_seen_ = false;
  in_command_ = true;
  const int sent = ++commands_sent_;
  port_.Output(command + "\r");
  const bool answered =
      WaitFor(timeout_ms, [this, sent] { return final_seen_ || commands_sent_ != sent; });
  if (commands_sent_ != sent) return std::exchange(interrupted_reply_, {});
  in_command_ = false;
  if (!answered)
    reply_.outcome = stopped_() ? AtReply::Outcome::kStopped : AtReply::Outcome::kTimeout;
  return reply_;
}

AtReply GsmLink::Submit(int octets, const std::string& pdu_hex, int prompt_ms, int answer_ms) {
  reply_ = {};
  final_seen_ = prompt_seen_ = false;
  in_command_ = true;
  port_.Output("AT+CMGS=" + std::to_string(octets) + "\r");
  auto end = [this](AtReply::Outcome outcome) {
    in_command_ = false;
    if (!final_seen_) reply_.outcome = outcome;
    return reply_;
  };
  if (!WaitFor(prompt_ms, [this] { return prompt_seen_ || final_seen_; }) || final_seen_) {
    // Without the prompt nothing was sent; ESC makes sure the modem takes
    // nothing that follows as the message.
    if (!final_seen_ && port_.IsOpen()) port_.Output(std::string(1, kEscape));
    return end(stopped_() ? AtReply::Outcome::kStopped : AtReply::Outcome::kTimeout);
  }
  port_.Output(pdu_hex + kCtrlZ);
  reply_.pdu_sent = true;
  if (!WaitFor(answer_ms, [this] { return final_seen_; })) {
    if (port_.IsOpen()) port_.Output(std::string(1, kEscape));
    return end(stopped_() ? AtReply::Outcome::kStopped : AtReply::Outcome::kTimeout);
  }
  return end(reply_.outcome);
}

void GsmLink::AwaitAnswer() {
  if (!in_command_) return;
  WaitUntil(loop_, [this] { return final_seen_ || timed_out_ || stopped_(); });
  interrupted_reply_ = reply_;
  if (!final_seen_) {
    interrupted_reply_.outcome =
        stopped_() ? AtReply::Outcome::kStopped : AtReply::Outcome::kTimeout;
  }
  in_command_ = false;
}

void GsmLink::Pause(int milliseconds) {
  WaitFor(milliseconds, [] { return false; });
}

bool GsmLink::ReportsPending() const {
  return acknowledgements_due_ > 0 || !stored_reports_.empty() || !reports_.empty();
}

void GsmLink::ServeReports() {
  while (acknowledgements_due_ > 0 && !stopped_()) {
    --acknowledgements_due_;
    Command("AT+CNMA", kReportCommandMs);
  }
  while (!stored_reports_.empty() && !stopped_()) {
    const std::string index = std::to_string(stored_reports_.front());
    stored_reports_.pop_front();
    if (Command("AT+CMGR=" + index, kReportCommandMs).Ok()) {
      // Read once, so the SIM's store does not fill up with reports.
      Command("AT+CMGD=" + index, kReportCommandMs);
    }
  }
}

std::vector<StatusReport> GsmLink::TakeReports() { return std::exchange(reports_, {}); }

}  // namespace tolvane
