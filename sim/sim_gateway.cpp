#include "sim/sim_gateway.h"

#include "sms/hex_octets.h"

namespace tolvane::sim {
namespace {

std::string DecodeComponent(std::string_view text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      decoded += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
               HexDigitValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
      i += 2;
    } else {
      // A stray "%" stays as it is, as lenient servers keep it.
      decoded += text[i];
    }
  }
  return decoded;
}

constexpr char kSendPath[] = "/sendSingleSMS";
constexpr char kCreditPath[] = "/maxCredit";
constexpr char kBalancePath[] = "/messageBalance";

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string Echo(const GatewayRequest& request) {
  std::string echo = request.http.method + " " + request.http.target + "\n";
  for (const auto& [name, value] : request.fields) echo += name + "=" + value + "\n";
  return echo;
}

}  // namespace

FormFields DecodeForm(std::string_view form) {
  FormFields fields;
  while (!form.empty()) {
    size_t amp = form.find('&');
    std::string_view pair = form.substr(0, amp);
    form = amp == std::string_view::npos ? std::string_view() : form.substr(amp + 1);
    if (pair.empty()) continue;
    size_t eq = pair.find('=');
    fields.emplace_back(
        DecodeComponent(pair.substr(0, eq)),
        eq == std::string_view::npos ? std::string() : DecodeComponent(pair.substr(eq + 1)));
  }
  return fields;
}

std::string GatewayRequest::Field(std::string_view name) const {
  for (const auto& [key, value] : fields) {
    if (key == name) return value;
  }
  return "";
}

void SimGateway::SetAnswer(const std::string& phone_number, GatewayAnswer answer) {
  by_number_[phone_number] = std::move(answer);
}

void SimGateway::SetAnswerForPath(const std::string& path_suffix, GatewayAnswer answer) {
  by_path_.emplace_back(path_suffix, std::move(answer));
}

GatewayAnswer SimGateway::AnswerFor(const GatewayRequest& request) const {
  if (auto it = by_number_.find(request.Field("toPhoneNumber")); it != by_number_.end()) {
    return it->second;
  }
  const std::string path = request.http.Path();
  for (const auto& [suffix, answer] : by_path_) {
    if (EndsWith(path, suffix)) return answer;
  }
  for (auto [suffix, number] :
       {std::pair{kCreditPath, account_.credit}, std::pair{kBalancePath, account_.balance}}) {
    if (EndsWith(path, suffix)) {
      GatewayAnswer answer = GatewayAnswer::Status(200, default_answer_.delay_ms);
      answer.body = std::to_string(number) + "\r\n";
      return answer;
    }
  }
  return default_answer_;
}

GatewayReply SimGateway::Handle(const HttpRequest& request) {
  GatewayRequest& received = requests_.emplace_back();
  received.http = request;
  received.fields = DecodeForm(request.method == "GET" ? request.Query() : request.body);
  const GatewayAnswer answer = AnswerFor(received);
  if (EndsWith(request.Path(), kSendPath) && answer.kind == GatewayAnswer::Kind::kStatus &&
      answer.status >= 200 && answer.status <= 213) {
    --account_.balance;
  }
  return {answer.kind, answer.delay_ms, answer.status, ReasonPhrase(answer.status),
          answer.body.value_or(Echo(received))};
}

std::string SimGateway::ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 202:
      return "Accepted";
    case 400:
      return "Bad Request";
    case 500:
      return "Internal Server Error";
    default:
      return "Gateway Status";
  }
}

}  // namespace tolvane::sim
