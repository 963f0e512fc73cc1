#include "gsm/gsm_setup.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

#include "gsm/gsm_errors.h"
#include "gsm/gsm_settings.h"

namespace tolvane {
namespace {

constexpr int kWakeMs = 3000;
constexpr int kWakeTries = 3;
constexpr int kSimBusy = 14;

constexpr char kStorePin[] =
    "store it on the settings dialog or with tolvane --store-secret gsm-pin";
constexpr char kWrongPin[] =
    "Wrong PIN: the SIM still wants its PIN. Store the right one on the settings dialog or with "
    "tolvane --store-secret gsm-pin, then send again (each PIN stored is tried only once)";
constexpr char kPukNeeded[] = "SIM locked: PUK needed";
constexpr char kNoPin[] = "SIM PIN needed: ";
constexpr char kPinAgain[] = "The SIM asks for its PIN again (the GSM modem was plugged in anew)";
constexpr char kBadPin[] = "The stored SIM PIN is not 4 to 8 digits";

// What AT+CPIN? says, "SIM busy" waited out: READY (also when it answers a
// bare OK), SIM PIN, SIM PUK, ...; nothing, with `reply` saying why, when it
// cannot tell.
std::optional<std::string> SimState(GsmLink& link, AtReply& reply) {
  for (int poll = 0;; ++poll) {
    reply = link.Command("AT+CPIN?", GsmSetup::kAnswerMs);
    if (reply.Ok()) {
      std::string state = reply.Value("+CPIN");
      std::erase(state, '"');
      return state.empty() ? "READY" : state;
    }
    if (ErrorCode(reply.final_line, "+CME ERROR") != kSimBusy || poll == GsmSetup::kSimBusyPolls) {
      return std::nullopt;
    }
    link.Pause(GsmSetup::kSimBusyPollMs);
  }
}

std::string Failure(const std::string& what, const AtReply& reply) {
  if (reply.outcome == AtReply::Outcome::kTimeout) return "No response from the GSM modem!";
  return what + ": " + GsmErrorText(reply.final_line);
}

// Whether list `list` (0-based) of an AT+CNMI=? answer such as
// "(0-2),(0-3),(0,2),(0-2),(0,1)" has `value`.
bool Offers(const std::string& ranges, int list, int value) {
  size_t i = 0;
  for (int skipped = 0; i < ranges.size() && skipped < list;) {
    if (ranges[i++] == '(') {
      i = ranges.find(')', i);
      if (i == std::string::npos) return false;
      ++skipped;
    }
  }
  const size_t open = ranges.find('(', i);
  const size_t close = ranges.find(')', open);
  if (open == std::string::npos || close == std::string::npos) return false;
  const std::string items = ranges.substr(open + 1, close - open - 1);
  size_t start = 0;
  while (start <= items.size()) {
    size_t comma = items.find(',', start);
    if (comma == std::string::npos) comma = items.size();
    const std::string item = items.substr(start, comma - start);
    const size_t dash = item.find('-');
    try {
      const int low = std::stoi(item.substr(0, dash));
      const int high = dash == std::string::npos ? low : std::stoi(item.substr(dash + 1));
      if (value >= low && value <= high) return true;
    } catch (const std::exception&) {
    }
    start = comma + 1;
  }
  return false;
}

}  // namespace

GsmReadiness GsmSetup::Run(GsmLink& link, const ProgramSettings& settings, const SimPinStore& pin,
                           const std::function<void(const std::string&)>& show) {
  GsmReadiness ready;
  AtReply reply;
  for (int i = 0; i < kWakeTries && !reply.Ok(); ++i) {
    reply = link.Command("AT", kWakeMs);
    if (reply.outcome == AtReply::Outcome::kStopped) return ready;
  }
  if (!reply.Ok()) {
    ready.failure = Failure("The GSM modem does not take AT", reply);
    return ready;
  }
  link.Command("ATE0", kAnswerMs);
  link.Command("AT+CMEE=1", kAnswerMs);

  ready.failure = UnlockSim(link, pin, show);
  if (!ready.failure.empty()) return ready;

  reply = link.Command("AT+CMGF=0", kAnswerMs);
  if (!reply.Ok()) {
    ready.failure = Failure("The GSM modem cannot send in PDU mode", reply);
    return ready;
  }
  ready.reports = RouteReports(link);
  const GsmSettings& gsm = settings.transports.Get<GsmSettings>();
  if (!gsm.Smsc.empty()) {
    const std::string& smsc = gsm.Smsc;
    const bool international = smsc.front() == '+';
    const std::string digits = smsc.substr(international ? 1 : 0);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(),
                                       [](unsigned char c) { return std::isdigit(c); })) {
      ready.failure = "The SMS centre number is not a phone number: " + smsc;
      return ready;
    }
    reply = link.Command("AT+CSCA=\"" + smsc + "\"," + (international ? "145" : "129"), kAnswerMs);
    if (!reply.Ok()) {
      ready.failure = Failure("The GSM modem refused the SMS centre " + smsc, reply);
      return ready;
    }
  }
  if (!gsm.Init.empty()) {
    reply = link.Command(gsm.Init, kAnswerMs);
    if (!reply.Ok()) {
      ready.failure = Failure("The GSM modem refused the Init command " + gsm.Init, reply);
      return ready;
    }
  }

  const std::string signal = link.Command("AT+CSQ", kAnswerMs).Value("+CSQ");
  const std::string operators = link.Command("AT+COPS?", kAnswerMs).Value("+COPS");
  // +COPS: 0,0,"Operator",7
  const size_t quote = operators.find('"');
  const size_t end = quote == std::string::npos ? quote : operators.find('"', quote + 1);
  ready.network =
      end == std::string::npos ? "no operator" : operators.substr(quote + 1, end - quote - 1);
  const std::string rssi = signal.substr(0, signal.find(','));
  ready.network +=
      rssi.empty() || rssi == "99" ? ", signal unknown" : ", signal " + rssi + " of 31";
  return ready;
}

std::string GsmSetup::UnlockSim(GsmLink& link, const SimPinStore& pin,
                                const std::function<void(const std::string&)>& show) {
  AtReply reply;
  std::optional<std::string> state = SimState(link, reply);
  if (!state) return Failure("The SIM cannot be used", reply);
  if (*state == "READY") {
    sim_was_ready_ = true;
    return {};
  }
  if (*state == "SIM PUK") return kPukNeeded;
  if (*state != "SIM PIN") return "The SIM wants " + *state;
  if (pin_blocked_) return kWrongPin;
  const std::string secret = pin.read();
  // The SIM still wants a PIN that went to it without a verdict: it counts
  // as refused, unless another has been stored since.
  if (!unjudged_pin_.empty() && std::exchange(unjudged_pin_, {}) == secret) {
    return Refused(pin, kWrongPin);
  }
  const bool again = std::exchange(sim_was_ready_, false);
  if (secret.empty()) return (again ? std::string(kPinAgain) + ": " : kNoPin) + kStorePin;
  if (!IsSimPin(secret)) return kBadPin;
  if (again) show(std::string(kPinAgain) + ": unlocking it...");
  unjudged_pin_ = secret;
  reply = link.Command("AT+CPIN=\"" + secret + "\"", kAnswerMs);
  if (reply.outcome == AtReply::Outcome::kTimeout) return "No response from the GSM modem!";
  if (reply.outcome == AtReply::Outcome::kStopped) return {};
  state = SimState(link, reply);
  if (!state) return Failure("The SIM cannot be used", reply);
  unjudged_pin_.clear();
  if (*state == "SIM PIN") return Refused(pin, kWrongPin);
  if (*state == "SIM PUK") return Refused(pin, kPukNeeded);
  if (*state != "READY") return "The SIM wants " + *state;
  sim_was_ready_ = true;
  return {};
}

std::string GsmSetup::Refused(const SimPinStore& pin, const std::string& text) {
  pin_blocked_ = !pin.forget();
  return text;
}

bool GsmSetup::RouteReports(GsmLink& link) {
  // Phase 2+ makes the modem wait for AT+CNMA after each routed report.
  const bool acknowledged = link.Command("AT+CSMS=1", kAnswerMs).Ok();
  if (!acknowledged) link.Command("AT+CSMS=0", kAnswerMs);
  link.SetAcknowledgeReports(acknowledged);

  const std::string offered = link.Command("AT+CNMI=?", kAnswerMs).Value("+CNMI");
  // New messages are stored and announced (+CMTI), so none is lost before
  // the program has kept it.
  const std::string messages = Offers(offered, 1, 1) ? "1" : "0";
  // Reports routed straight to the program when offered, otherwise stored on
  // the SIM and announced.
  for (int ds : {1, 2}) {
    if (Offers(offered, 3, ds) &&
        link.Command("AT+CNMI=2," + messages + ",0," + std::to_string(ds) + ",0", kAnswerMs).Ok()) {
      return true;
    }
  }
  if (messages == "1") link.Command("AT+CNMI=2,1,0,0,0", kAnswerMs);
  return false;
}

}  // namespace tolvane
