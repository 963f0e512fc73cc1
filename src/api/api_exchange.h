#ifndef TOLVANE_API_API_EXCHANGE_H_
#define TOLVANE_API_API_EXCHANGE_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane {

// One HTTP request as the server took it: the method as sent ("GET"), the
// target with its query ("/v1/messages?limit=5"), the header fields in the
// order they came (names in any letter case) and the body.
struct ApiRequest {
  std::string method;
  std::string target;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;

  // The first field named `name` (any letter case); nothing when none came.
  std::optional<std::string> Header(std::string_view name) const;
};

// The answer: status, header fields besides Content-Length, body.
struct ApiResponse {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;

  std::string Header(std::string_view name) const;
};

}  // namespace tolvane

#endif  // TOLVANE_API_API_EXCHANGE_H_
