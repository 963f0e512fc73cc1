#include "api/problem.h"

namespace tolvane {

std::string ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 202:
      return "Accepted";
    case 400:
      return "Bad Request";
    case 401:
      return "Unauthorized";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 409:
      return "Conflict";
    case 413:
      return "Content Too Large";
    case 415:
      return "Unsupported Media Type";
    case 422:
      return "Unprocessable Content";
    case 429:
      return "Too Many Requests";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Unknown";
  }
}

ApiResponse Problem(int status, const std::string& detail) {
  const nlohmann::json body = {{"type", "about:blank"},
                               {"title", ReasonPhrase(status)},
                               {"status", status},
                               {"detail", detail}};
  return {status,
          {{"Content-Type", "application/problem+json"}},
          body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)};
}

ApiResponse JsonAnswer(int status, const nlohmann::json& body) {
  return {status,
          {{"Content-Type", "application/json"}},
          body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)};
}

}  // namespace tolvane
