#include "sim/sim_gsm_modem.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

#include "sim/status_report_tpdu.h"
#include "sim/submit_tpdu_reader.h"
#include "sms/hex_octets.h"
#include "sms/submit_pdu.h"

namespace tolvane::sim {
namespace {

constexpr char kCtrlZ = 0x1A;
constexpr char kEscape = 0x1B;
constexpr int kWrongPinsBeforePuk = 3;
// The longest TPDU a submit can be.
constexpr int kMaxTpduOctets = 164;
constexpr int kMaxReference = 256;
// Delete flag of AT+CMGD that empties the whole store.
constexpr int kDeleteAll = 4;
constexpr int kReportRoutingFields = 5;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string CmeError(int code) { return "+CME ERROR: " + std::to_string(code); }
std::string CmsError(const std::string& code) { return "+CMS ERROR: " + code; }

// The values of "=a,"b",c": split at commas outside quotes, quotes taken off.
std::vector<std::string> Arguments(const std::string& tail) {
  std::vector<std::string> values;
  if (tail.empty() || tail[0] != '=') return values;
  std::string value;
  bool quoted = false;
  for (size_t i = 1; i < tail.size(); ++i) {
    const char c = tail[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      values.push_back(std::exchange(value, std::string()));
    } else {
      value += c;
    }
  }
  values.push_back(value);
  return values;
}

// A whole decimal number; nothing for anything else.
std::optional<int> Number(const std::string& text) {
  if (text.empty() || text.size() > 6 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return std::stoi(text);
}

// The first argument as a number.
std::optional<int> FirstNumber(const std::string& tail) {
  const std::vector<std::string> values = Arguments(tail);
  return values.empty() ? std::nullopt : Number(values[0]);
}

// Splits "+CMGF=0;+CNMI=2,1" at semicolons outside quotes.
std::vector<std::string> ExtendedCommands(const std::string& text) {
  std::vector<std::string> commands;
  std::string command;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == ';' && !quoted) {
      if (!command.empty()) commands.push_back(std::exchange(command, std::string()));
    } else {
      command += c;
    }
  }
  if (!command.empty()) commands.push_back(command);
  return commands;
}

}  // namespace

SimGsmModem::SimGsmModem(Scheduler schedule, GsmModemOptions options)
    : schedule_(std::move(schedule)), options_(std::move(options)) {
  ResetSettings();
}

void SimGsmModem::SetToDte(std::function<void(const std::string&)> to_dte) {
  to_dte_ = std::move(to_dte);
}

void SimGsmModem::SetOnCarrier(std::function<void(bool)> on_carrier) {
  on_carrier_ = std::move(on_carrier);
}

void SimGsmModem::FromDte(const std::string& bytes) {
  if (now_ms_) clock_ms_ = now_ms_();
  for (char c : bytes) {
    if (taking_pdu_) {
      PduByte(c);
    } else {
      CommandByte(c);
    }
  }
}

void SimGsmModem::SetDtr(bool on) {
  if (dtr_ == on) return;
  dtr_ = on;
  if (!on) Restart();
  if (on && !std::exchange(powered_, true)) StartSimBusy();
  if (on_carrier_) on_carrier_(on);
}

void SimGsmModem::Replug() {
  Restart();
  if (std::exchange(unlocked_by_pin_, false)) {
    options_.sim_state = GsmModemOptions::SimState::kPinWanted;
  }
  StartSimBusy();
}

void SimGsmModem::Restart() {
  ++generation_;
  ResetSettings();
  line_.clear();
  after_cr_ = false;
  taking_pdu_ = false;
  pdu_.clear();
}

void SimGsmModem::StartSimBusy() {
  if (options_.sim_busy_ms <= 0) return;
  sim_busy_ = true;
  Later(
      options_.sim_busy_ms,
      [this, period = ++sim_busy_periods_] {
        if (period == sim_busy_periods_) sim_busy_ = false;
      },
      true);
}

int64_t SimGsmModem::Now() const { return now_ms_ ? now_ms_() : clock_ms_; }

void SimGsmModem::Unsolicited(const std::string& line) { Send(line); }

bool SimGsmModem::Silent() const {
  return options_.silent_after >= 0 &&
         commands_.size() >= static_cast<size_t>(options_.silent_after);
}

void SimGsmModem::CommandByte(char c) {
  const bool line_feed_after_cr = c == '\n' && after_cr_;
  after_cr_ = c == '\r';
  if (line_feed_after_cr) return;
  if (echo_ && !Silent()) Send(std::string(1, c));
  if (c == '\r') {
    CommandLine(std::exchange(line_, std::string()));
  } else if (c != '\n') {
    line_ += c;
  }
}

void SimGsmModem::PduByte(char c) {
  if (c == kCtrlZ) {
    taking_pdu_ = false;
    EndSubmit();
  } else if (c == kEscape) {
    taking_pdu_ = false;
    ++escapes_;
    Reply(options_.reply_delay_ms, {{}, "OK"});
  } else if (c != '\r' && c != '\n' && c != ' ') {
    pdu_ += c;
  }
}

void SimGsmModem::CommandLine(const std::string& line) {
  const size_t at = Upper(line).find("AT");
  if (at == std::string::npos || line.find_first_not_of(' ') != at) return;
  const bool silent = Silent();
  commands_.push_back(line.substr(at));
  command_ms_.push_back(Now());
  if (silent) return;
  const std::string rest = line.substr(at + 2);
  const auto& refused = options_.refused_commands;
  if (std::find(refused.begin(), refused.end(), rest) != refused.end()) {
    Reply(options_.reply_delay_ms, {{}, "ERROR"});
    return;
  }
  // Basic commands ("E0V1") come first, extended ones after the first "+".
  const size_t extended = rest.find_first_of("+^");
  Answer answer = Basic(rest.substr(0, extended));
  if (extended != std::string::npos) {
    for (const std::string& command : ExtendedCommands(rest.substr(extended))) {
      Answer part = Extended(command);
      answer.lines.insert(answer.lines.end(), part.lines.begin(), part.lines.end());
      answer.final_result = part.final_result;
      if (answer.final_result != "OK") break;
    }
  }
  Reply(options_.reply_delay_ms, std::move(answer));
}

SimGsmModem::Answer SimGsmModem::Basic(const std::string& commands) {
  for (size_t i = 0; i < commands.size(); ++i) {
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(commands[i])));
    std::string value;
    while (i + 1 < commands.size() && std::isdigit(static_cast<unsigned char>(commands[i + 1]))) {
      value += commands[++i];
    }
    if (c == 'E') {
      if (value.size() > 1 || value > "1") return {{}, "ERROR"};
      echo_ = value == "1";
    } else if (c == 'Z') {
      ResetSettings();
    }
  }
  return {{}, "OK"};
}

SimGsmModem::Answer SimGsmModem::Extended(const std::string& command) {
  const size_t end = command.find_first_of("=?");
  const std::string name = Upper(command.substr(0, end));
  const std::string tail = end == std::string::npos ? "" : command.substr(end);
  const bool read = tail == "?";
  if (name == "+CMGF") {
    if (read) return {{"+CMGF: 0"}, "OK"};
    if (tail == "=?") return {{"+CMGF: (0)"}, "OK"};
    return {{}, tail.empty() || tail == "=0" ? "OK" : "ERROR"};
  }
  if (name == "+CPIN") return Pin(tail);
  if (name == "+CSMS") return MessageService(tail);
  if (name == "+CNMI") return ReportRouting(tail);
  if (name == "+CMGS") return StartSubmit(tail);
  if (name == "+CMGR") return ReadStored(tail);
  if (name == "+CMGL") return ListStored(tail);
  if (name == "+CPMS") return Storage(tail);
  if (name == "+CMGD") return DeleteStored(tail);
  if (name == "+CSCA") {
    if (read) {
      return {{"+CSCA: \"" + service_centre_ + "\"," + std::to_string(service_centre_type_)}, "OK"};
    }
    const std::vector<std::string> values = Arguments(tail);
    if (values.empty()) return {{}, "ERROR"};
    service_centre_ = values[0];
    if (values.size() > 1) service_centre_type_ = Number(values[1]).value_or(service_centre_type_);
    return {{}, "OK"};
  }
  if (name == "+CSQ") return {{"+CSQ: " + std::to_string(options_.signal) + ",99"}, "OK"};
  if (name == "+COPS" && read) return {{"+COPS: 0,0,\"" + options_.operator_name + "\",7"}, "OK"};
  if (name == "+CREG" && read) return {{"+CREG: 0,1"}, "OK"};
  if (name == "+CMMS") {
    if (!options_.cmms_supported) return {{}, "ERROR"};
    if (read) return {{"+CMMS: " + std::to_string(more_messages_)}, "OK"};
    if (tail == "=?") return {{"+CMMS: (0-2)"}, "OK"};
    const std::optional<int> mode = FirstNumber(tail);
    if (!mode || *mode > 2) return {{}, "ERROR"};
    more_messages_ = *mode;
    return {{}, "OK"};
  }
  if (name == "+CNMA") return {{}, Acknowledge()};
  return {{}, "OK"};
}

std::string SimGsmModem::SimNotReady() const {
  if (sim_busy_) return CmeError(14);
  switch (options_.sim_state) {
    case GsmModemOptions::SimState::kReady:
      return "";
    case GsmModemOptions::SimState::kPinWanted:
      return CmeError(11);
    case GsmModemOptions::SimState::kPukWanted:
      return CmeError(12);
    case GsmModemOptions::SimState::kNoSim:
      return CmeError(10);
  }
  return "";
}

SimGsmModem::Answer SimGsmModem::Pin(const std::string& tail) {
  using SimState = GsmModemOptions::SimState;
  SimState& state = options_.sim_state;
  if (tail == "=?") return {{}, "OK"};
  if (sim_busy_ && state != SimState::kNoSim) return {{}, CmeError(14)};
  if (tail == "?") {
    switch (state) {
      case SimState::kReady:
        if (options_.ready_line.empty()) return {{}, "OK"};
        return {{options_.ready_line}, "OK"};
      case SimState::kPinWanted:
        return {{"+CPIN: SIM PIN"}, "OK"};
      case SimState::kPukWanted:
        return {{"+CPIN: SIM PUK"}, "OK"};
      case SimState::kNoSim:
        return {{}, CmeError(10)};
    }
  }
  const std::vector<std::string> values = Arguments(tail);
  if (values.empty()) return {{}, "ERROR"};
  ++pin_tries_;
  if (state == SimState::kNoSim) return {{}, CmeError(10)};
  if (state == SimState::kReady) return {{}, "OK"};
  if (state == SimState::kPinWanted && values[0] == options_.pin) {
    state = SimState::kReady;
    wrong_pins_ = 0;
    unlocked_by_pin_ = true;
    StartSimBusy();
    return {{}, "OK"};
  }
  // Without its PUK the SIM stays locked: no try unlocks it.
  if (state == SimState::kPinWanted && ++wrong_pins_ >= kWrongPinsBeforePuk) {
    state = SimState::kPukWanted;
  }
  return {{}, CmeError(16)};
}

SimGsmModem::Answer SimGsmModem::MessageService(const std::string& tail) {
  if (std::string error = SimNotReady(); !error.empty()) return {{}, error};
  if (tail == "?") return {{"+CSMS: " + std::to_string(message_service_) + ",1,1,1"}, "OK"};
  if (tail == "=?") return {{options_.phase2plus ? "+CSMS: (0,1)" : "+CSMS: (0)"}, "OK"};
  const std::optional<int> service = FirstNumber(tail);
  if (!service || *service > 1 || (*service == 1 && !options_.phase2plus)) {
    return {{}, CmsError("303")};
  }
  message_service_ = *service;
  return {{"+CSMS: 1,1,1"}, "OK"};
}

std::string SimGsmModem::OfferedReportModes() const {
  switch (options_.report_style) {
    case GsmModemOptions::ReportStyle::kRouted:
      return "(0,1)";
    case GsmModemOptions::ReportStyle::kStored:
      return "(0,2)";
    case GsmModemOptions::ReportStyle::kBoth:
      return "(0-2)";
  }
  return "(0)";
}

SimGsmModem::Answer SimGsmModem::ReportRouting(const std::string& tail) {
  if (std::string error = SimNotReady(); !error.empty()) return {{}, error};
  if (tail == "=?") {
    return {{"+CNMI: (0-2),(0-3),(0,2)," + OfferedReportModes() + ",(0,1)"}, "OK"};
  }
  if (tail == "?") return {{"+CNMI: " + report_routing_}, "OK"};
  std::vector<std::string> values = Arguments(tail);
  if (values.empty() || values.size() > kReportRoutingFields) return {{}, CmsError("303")};
  values.resize(kReportRoutingFields);
  std::string routing;
  for (std::string& value : values) {
    if (value.empty()) value = "0";
    if (!Number(value)) return {{}, CmsError("303")};
    routing += (routing.empty() ? "" : ",") + value;
  }
  const int mode = *Number(values[3]);
  const auto style = options_.report_style;
  const bool offered = mode == 0 || (mode == 1 && style != GsmModemOptions::ReportStyle::kStored) ||
                       (mode == 2 && style != GsmModemOptions::ReportStyle::kRouted);
  if (!offered) return {{}, CmsError("303")};
  report_mode_ = mode;
  message_mode_ = *Number(values[1]);
  report_routing_ = routing;
  return {{}, "OK"};
}

SimGsmModem::Answer SimGsmModem::StartSubmit(const std::string& tail) {
  if (std::string error = SimNotReady(); !error.empty()) return {{}, error};
  if (tail == "=?") return {{}, "OK"};
  const std::optional<int> octets = FirstNumber(tail);
  if (!octets || *octets < 1 || *octets > kMaxTpduOctets) return {{}, CmsError("304")};
  taking_pdu_ = true;
  declared_octets_ = *octets;
  pdu_.clear();
  if (options_.prompt) Later(options_.reply_delay_ms, [this] { Send("\r\n> "); });
  return {};
}

void SimGsmModem::EndSubmit() {
  // The service-centre part first: 00, or a length octet and the address.
  const std::optional<std::string> octets = FromHex(std::exchange(pdu_, std::string()));
  const size_t tpdu_start =
      octets && !octets->empty() ? 1 + static_cast<unsigned char>((*octets)[0]) : 0;
  std::optional<SubmitTpdu> submit;
  std::string tpdu;
  if (tpdu_start > 0 && tpdu_start <= octets->size()) {
    tpdu = octets->substr(tpdu_start);
    if (static_cast<int>(tpdu.size()) == declared_octets_) submit = ReadSubmitTpdu(tpdu);
  }
  if (!submit) {
    Reply(options_.reply_delay_ms, {{}, CmsError("304")});
    return;
  }
  auto& errors = options_.submit_errors;
  const std::string code = errors.empty() ? "" : errors.front();
  if (!errors.empty()) errors.erase(errors.begin());
  if (!code.empty()) {
    Reply(options_.network_delay_ms, {{}, CmsError(code)});
    return;
  }
  Later(options_.network_delay_ms,
        [this, tpdu = std::move(tpdu), submit = std::move(*submit), declared = declared_octets_] {
          Accept(tpdu, declared, submit);
        });
}

void SimGsmModem::Accept(const std::string& tpdu, int declared_octets, const SubmitTpdu& submit) {
  const int reference = next_reference_;
  next_reference_ = (next_reference_ + 1) % kMaxReference;
  submissions_.push_back({ToHex(tpdu), declared_octets, reference, Now(), submit.recipient,
                          submit.report_requested, submit.part});
  if (on_taken_) on_taken_(submit.part);
  SendAnswer({{"+CMGS: " + std::to_string(reference)}, "OK"});
  if (static_cast<int>(submissions_.size()) == options_.replug_after_submits) Replug();
  if (!submit.report_requested) return;
  const int64_t taken_ms = clock_ms_;
  int delay = 0;
  for (int status : options_.report_statuses) {
    delay += options_.report_delay_ms;
    // The network reports whatever the modem does meanwhile.
    Later(
        delay,
        [this, reference, field = submit.recipient_field, taken_ms, status] {
          SendReport(reference, field, taken_ms, status);
        },
        true);
  }
}

void SimGsmModem::SendReport(int reference, const std::string& recipient_field, int64_t taken_ms,
                             int status) {
  if (report_mode_ != 1 && report_mode_ != 2) return;
  const std::string tpdu = BuildStatusReportTpdu(reference, recipient_field, NetworkTime(taken_ms),
                                                 NetworkTime(clock_ms_), status);
  const std::string hex = ToHex(tpdu);
  const std::string octets = std::to_string(tpdu.size());
  if (report_mode_ == 1) {
    reports_.push_back({reference, status, hex, 0, Now()});
    if (unacknowledged_) {
      held_reports_.push_back(reports_.size() - 1);
    } else {
      Route(reports_.size() - 1);
    }
    return;
  }
  int index = 1;
  while (stored_.count(index) > 0) ++index;
  stored_[index] = {0, hex};
  reports_.push_back({reference, status, hex, index, Now()});
  Send("\r\n+CDSI: \"SM\"," + std::to_string(index) + "\r\n");
}

void SimGsmModem::Route(size_t index) {
  GsmReport& report = reports_[index];
  report.sent_ms = Now();
  Send("\r\n+CDS: " + std::to_string(report.tpdu_hex.size() / 2) + "\r\n" + kSimServiceCentre +
       report.tpdu_hex + "\r\n");
  // Before phase 2+ the modem acknowledges on its own.
  if (message_service_ != 1) return;
  unacknowledged_ = index;
  Later(options_.acknowledge_ms, [this, index] {
    if (unacknowledged_ != index) return;
    // RP-ERROR to the network, and routing switched off: the held reports
    // go back to the network with it.
    unacknowledged_.reset();
    held_reports_.clear();
    report_mode_ = 0;
    std::vector<std::string> values = Arguments("=" + report_routing_);
    values[1] = values[3] = "0";
    report_routing_ =
        values[0] + "," + values[1] + "," + values[2] + "," + values[3] + "," + values[4];
  });
}

std::string SimGsmModem::Acknowledge() {
  ++acknowledgements_;
  if (message_service_ != 1 || !unacknowledged_) return CmsError("340");
  reports_[*std::exchange(unacknowledged_, std::nullopt)].acknowledged_ms = Now();
  if (!held_reports_.empty()) {
    const size_t next = held_reports_.front();
    held_reports_.pop_front();
    // A moment after the OK of this AT+CNMA.
    Later(2 * options_.reply_delay_ms, [this, next] { Route(next); });
  }
  return "OK";
}

std::string SimGsmModem::StoredPdu(const StoredSms& sms) const {
  return std::to_string(sms.tpdu_hex.size() / 2) + "\r\n" + kSimServiceCentre + sms.tpdu_hex;
}

SimGsmModem::Answer SimGsmModem::ReadStored(const std::string& tail) {
  if (std::string error = SimNotReady(); !error.empty()) return {{}, error};
  if (tail == "=?") return {{}, "OK"};
  const std::optional<int> index = FirstNumber(tail);
  if (!index) return {{}, CmsError("321")};
  const auto stored = stored_.find(*index);
  if (stored == stored_.end()) return {{}, CmsError("321")};
  // +CMGR: <stat>,[<alpha>],<length>; a received message read once is read.
  Answer answer{
      {"+CMGR: " + std::to_string(stored->second.stat) + ",," + StoredPdu(stored->second)}, "OK"};
  if (stored->second.stat == 0) stored->second.stat = 1;
  return answer;
}

SimGsmModem::Answer SimGsmModem::ListStored(const std::string& tail) {
  if (std::string error = SimNotReady(); !error.empty()) return {{}, error};
  if (tail == "=?") return {{"+CMGL: (0-4)"}, "OK"};
  const std::optional<int> stat = tail.empty() ? 0 : FirstNumber(tail);
  if (!stat || *stat > 4) return {{}, CmsError("302")};
  Answer answer{{}, "OK"};
  for (auto& [index, sms] : stored_) {
    if (*stat != 4 && sms.stat != *stat) continue;
    // +CMGL: <index>,<stat>,[<alpha>],<length>
    answer.lines.push_back("+CMGL: " + std::to_string(index) + "," + std::to_string(sms.stat) +
                           ",," + StoredPdu(sms));
    if (sms.stat == 0) sms.stat = 1;
  }
  return answer;
}

SimGsmModem::Answer SimGsmModem::Storage(const std::string& tail) {
  if (std::string error = SimNotReady(); !error.empty()) return {{}, error};
  if (tail == "=?") return {{"+CPMS: (\"SM\"),(\"SM\"),(\"SM\")"}, "OK"};
  const std::string counts =
      std::to_string(stored_.size()) + "," + std::to_string(options_.sim_capacity);
  if (tail == "?") {
    const std::string memory = "\"SM\"," + counts;
    return {{"+CPMS: " + memory + "," + memory + "," + memory}, "OK"};
  }
  for (const std::string& memory : Arguments(tail)) {
    if (memory != "SM") return {{}, CmsError("302")};
  }
  return {{"+CPMS: " + counts + "," + counts + "," + counts}, "OK"};
}

bool SimGsmModem::Deliver(const GsmDelivery& delivery) {
  const int reference = delivery.reference >= 0 ? delivery.reference : next_concatenation_;
  const std::optional<std::vector<std::string>> tpdus =
      BuildDeliverTpdus(delivery, reference, NetworkTime(Now()));
  if (!tpdus) return false;
  if (delivery.reference < 0) next_concatenation_ = (next_concatenation_ + 1) % kMaxReference;
  for (const std::string& tpdu : *tpdus) {
    // Behind parts already waiting for room, so the order holds.
    if (!waiting_.empty() || !StoreReceived(ToHex(tpdu))) waiting_.push_back(ToHex(tpdu));
  }
  return true;
}

bool SimGsmModem::StoreReceived(const std::string& tpdu_hex) {
  if (static_cast<int>(stored_.size()) >= options_.sim_capacity) return false;
  int index = 1;
  while (stored_.count(index) > 0) ++index;
  stored_[index] = {0, tpdu_hex};
  if (message_mode_ == 1) Send("\r\n+CMTI: \"SM\"," + std::to_string(index) + "\r\n");
  return true;
}

SimGsmModem::Answer SimGsmModem::DeleteStored(const std::string& tail) {
  if (std::string error = SimNotReady(); !error.empty()) return {{}, error};
  if (tail == "=?") return {{}, "OK"};
  const std::vector<std::string> values = Arguments(tail);
  const std::optional<int> index = values.empty() ? std::nullopt : Number(values[0]);
  if (!index) return {{}, CmsError("321")};
  ++deletions_;
  if (values.size() > 1 && Number(values[1]) == kDeleteAll) {
    stored_.clear();
  } else {
    stored_.erase(*index);
  }
  if (!waiting_.empty()) {
    // The modem tells the network it has room again; the waiting parts
    // come a moment later.
    Later(
        options_.network_delay_ms,
        [this] {
          while (!waiting_.empty() && StoreReceived(waiting_.front())) waiting_.pop_front();
        },
        true);
  }
  return {{}, "OK"};
}

void SimGsmModem::Reply(int milliseconds, Answer answer) {
  Later(milliseconds, [this, answer = std::move(answer)] { SendAnswer(answer); });
}

void SimGsmModem::SendAnswer(const Answer& answer) {
  std::string bytes;
  for (const std::string& line : answer.lines) bytes += "\r\n" + line + "\r\n";
  if (!answer.final_result.empty()) {
    for (const std::string& line : options_.noise) bytes += "\r\n" + line + "\r\n";
    bytes += "\r\n" + answer.final_result + "\r\n";
  }
  Send(bytes);
}

void SimGsmModem::Send(const std::string& bytes) {
  if (dtr_ && to_dte_ && !bytes.empty()) to_dte_(bytes);
}

void SimGsmModem::ResetSettings() {
  echo_ = options_.echo;
  report_mode_ = 0;
  message_mode_ = 0;
  report_routing_ = "0,0,0,0,0";
  message_service_ = 0;
  more_messages_ = 0;
  unacknowledged_.reset();
  held_reports_.clear();
}

void SimGsmModem::Later(int milliseconds, std::function<void()> action, bool survives_reset) {
  const int64_t due_ms = clock_ms_ + milliseconds;
  schedule_(milliseconds,
            [this, generation = generation_, due_ms, survives_reset, action = std::move(action)] {
              clock_ms_ = now_ms_ ? now_ms_() : std::max(clock_ms_, due_ms);
              if (survives_reset || generation == generation_) action();
            });
}

}  // namespace tolvane::sim
