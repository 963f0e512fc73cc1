#ifndef TOLVANE_API_PROBLEM_H_
#define TOLVANE_API_PROBLEM_H_

#include <nlohmann/json.hpp>
#include <string>

#include "api/api_exchange.h"

namespace tolvane {

// The reason phrase of an HTTP status ("Unprocessable Content").
std::string ReasonPhrase(int status);

// An error answer as application/problem+json: type about:blank, the
// status's reason phrase as title, and `detail` for the caller.
ApiResponse Problem(int status, const std::string& detail);

// A JSON answer.
ApiResponse JsonAnswer(int status, const nlohmann::json& body);

}  // namespace tolvane

#endif  // TOLVANE_API_PROBLEM_H_
