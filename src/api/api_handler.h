#ifndef TOLVANE_API_API_HANDLER_H_
#define TOLVANE_API_API_HANDLER_H_

#include <string>
#include <string_view>

#include "api/api_exchange.h"
#include "api/api_services.h"
#include "inbox/conversation_names.h"

namespace tolvane {

// Answers every request of the HTTP API: the bearer token checked (in
// constant time) on every call but GET /v1/health, the route chosen, and
// errors as application/problem+json. Nothing a request says reaches a
// shell or a file path.
class ApiHandler {
 public:
  // `token` is the secret `api`; without one every call but the health
  // check is refused.
  ApiHandler(const ApiServices& services, std::string token);

  ApiResponse Handle(const ApiRequest& request);

 private:
  ApiResponse Route(const ApiRequest& request);
  bool Authorised(const ApiRequest& request) const;
  ApiResponse Message(const std::string& method, std::string_view id);
  ApiResponse Cancel(std::int64_t run);
  ApiResponse Status();

  ApiServices services_;
  std::string token_;
  ConversationNames names_;
};

}  // namespace tolvane

#endif  // TOLVANE_API_API_HANDLER_H_
