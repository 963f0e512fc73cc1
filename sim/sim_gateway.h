#ifndef TOLVANE_SIM_SIM_GATEWAY_H_
#define TOLVANE_SIM_SIM_GATEWAY_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/http_request_parser.h"

namespace tolvane::sim {

using FormFields = std::vector<std::pair<std::string, std::string>>;

// Name-value pairs of a url-encoded form (or query), in their order, with
// "%XX" and "+" decoded.
FormFields DecodeForm(std::string_view form);

// How the gateway treats a request.
struct GatewayAnswer {
  enum class Kind { kStatus, kSilent, kClose };

  static GatewayAnswer Status(int status, int delay_ms = 0) {
    return {Kind::kStatus, status, delay_ms, std::nullopt};
  }
  // Never answers; the connection stays open.
  static GatewayAnswer Silent() { return {Kind::kSilent, 0, 0, std::nullopt}; }
  // Closes the connection without an answer.
  static GatewayAnswer Close(int delay_ms = 0) { return {Kind::kClose, 0, delay_ms, std::nullopt}; }

  Kind kind = Kind::kStatus;
  // The HTTP status code: the gateway's status.
  int status = 200;
  int delay_ms = 0;
  // The answer's body; unset, the gateway echoes what it received.
  std::optional<std::string> body;
};

// A request as the gateway saw it.
struct GatewayRequest {
  HttpRequest http;
  // The form fields of a POST body, or of the query of a GET.
  FormFields fields;

  // The decoded value of the first field of that name, or empty.
  std::string Field(std::string_view name) const;
};

// What the gateway sends back for one request.
struct GatewayReply {
  GatewayAnswer::Kind kind;
  int delay_ms;
  int status;
  std::string reason;
  std::string body;

  // The whole answer as bytes on the wire (for kStatus).
  std::string Wire() const { return FormatHttpResponse(status, reason, body); }
};

// The gateway account behind the balance questions.
struct GatewayAccount {
  // Messages the account may send on credit in a period; 0 for a prepaid one.
  int credit = 0;
  // Messages left (prepaid), or minus the messages sent in the period.
  int balance = 100;
};

// The SMS web gateway: takes any request on any path, records it, and answers
// as chosen for the recipient number (the form field toPhoneNumber), else for
// the path, else by the default (200 at once). The balance questions
// (".../maxCredit", ".../messageBalance") are answered from the account unless
// an answer was chosen for their path; every message the gateway takes (a
// status from 200 to 213) costs the account one.
class SimGateway {
 public:
  void SetAnswer(const std::string& phone_number, GatewayAnswer answer);
  // For requests whose path ends with `path_suffix` and carry no chosen number.
  void SetAnswerForPath(const std::string& path_suffix, GatewayAnswer answer);
  void SetDefaultAnswer(GatewayAnswer answer) { default_answer_ = std::move(answer); }
  void SetAccount(GatewayAccount account) { account_ = account; }
  const GatewayAccount& Account() const { return account_; }

  GatewayReply Handle(const HttpRequest& request);

  const std::vector<GatewayRequest>& Requests() const { return requests_; }

  // The reason phrase the gateway gives with a status.
  static std::string ReasonPhrase(int status);

 private:
  GatewayAnswer AnswerFor(const GatewayRequest& request) const;

  std::map<std::string, GatewayAnswer> by_number_;
  std::vector<std::pair<std::string, GatewayAnswer>> by_path_;
  GatewayAnswer default_answer_;
  GatewayAccount account_;
  std::vector<GatewayRequest> requests_;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_GATEWAY_H_
