#include "gateway/balance_window.h"

#include <cmath>
#include <cstdio>

#include "gateway/form_encoding.h"
#include "gateway/gateway_client.h"
#include "platform/text_codec.h"
#include "text/text_helpers.h"

namespace tolvane {
namespace {

constexpr char kQuestionPath[] = "/servlet/norvoServlet/standardAccount/";

// An answer as it is used: line feeds become blanks, carriage returns go, and
// so do the blanks around it.
std::string Clean(const std::string& answer) {
  std::string cleaned;
  for (char c : answer) {
    if (c == '\n') {
      cleaned += ' ';
    } else if (c != '\r') {
      cleaned += c;
    }
  }
  return TrimBlanks(cleaned);
}

std::string FormatCount(double value) {
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<long long>(value));
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

// The gateway's own words, or the fallback when it said nothing readable (an
// empty answer, or only a byte-order mark).
std::string AnswerOr(const std::string& answer, const char* fallback) {
  std::string text = ForeignTextToUtf8(answer);
  return text.empty() ? fallback : text;
}

}  // namespace

std::string BalanceSentence(const std::string& credit, const std::string& balance) {
  const double credit_limit = NumericValue(credit).value_or(0);
  const double messages = NumericValue(balance).value_or(0);
  if (credit_limit > 0 && messages <= 0) {
    return "You have sent " + FormatCount(-messages) + " message this period.";
  }
  return "You have " + balance + " messages left to send.";
}

BalanceWindow::BalanceWindow(HttpClient& client, const ProgramSettings& settings,
                             const BalanceQuery& query)
    : client_(client),
      settings_(settings),
      query_{query.gateway, TrimBlanks(query.account_name), TrimBlanks(query.password)} {}

std::string BalanceWindow::Address(const std::string& question) const {
  // Name and password are form-encoded, so that "&" or "=" in them cannot
  // change the question.
  return GatewayAddress(query_.gateway, kQuestionPath + question) +
         "?protocolVersion=1.0.1&accountName=" + FormEncode(query_.account_name) +
         "&accountPassword=" + FormEncode(query_.password);
}

std::string BalanceWindow::CreditAddress() const { return Address("maxCredit"); }

std::string BalanceWindow::BalanceAddress() const { return Address("messageBalance"); }

void BalanceWindow::Load(const std::function<void()>& on_progress) {
  ConfigureProxy(client_, settings_);
  result_ = "Kollar saldot...";
  if (on_progress) on_progress();

  const std::string credit = client_.OpenUrl(CreditAddress(), kRequestTimeoutMs);
  if (!NumericValue(credit)) {
    result_ = AnswerOr(credit, "Remote host could not be found.");
  } else {
    const std::string balance = client_.OpenUrl(BalanceAddress(), kRequestTimeoutMs);
    if (!NumericValue(balance)) {
      result_ = AnswerOr(balance, "Could´n!");
    } else {
      result_ = BalanceSentence(Clean(credit), Clean(balance));
    }
  }
}

void BalanceWindow::Ok() {
  if (client_.StillExecuting()) client_.Cancel();
}

}  // namespace tolvane
