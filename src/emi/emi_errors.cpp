#include "emi/emi_errors.h"

#include <array>

namespace tolvane {
namespace {

struct ErrorCode {
  std::string_view code;
  std::string_view text;
  bool transient;
};

// The one table of the centre's error codes. Transient codes are retried
// with a growing pause; the rest end the message (or the login) at once.
constexpr std::array<ErrorCode, 30> kErrors = {{
    {"01", "checksum error", true},
    {"02", "syntax error", true},
    {"03", "operation not supported", false},
    {"04", "operation not allowed", false},
    {"05", "call barring active", false},
    {"06", "AdC invalid", false},
    {"07", "authentication failure", false},
    {"08", "legitimisation failure", false},
    {"09", "GA not valid", false},
    {"10", "repetition not allowed", false},
    {"11", "legitimisation code for repetition, failure", false},
    {"12", "priority call not allowed", false},
    {"13", "legitimisation code for priority call, failure", false},
    {"14", "urgent message not allowed", false},
    {"15", "legitimisation code for urgent message, failure", false},
    {"16", "reverse charging not allowed", false},
    {"17", "legitimisation code for reverse charging, failure", false},
    {"18", "deferred delivery not allowed", false},
    {"19", "new AC not valid", false},
    {"20", "new legitimisation code not valid", false},
    {"21", "standard text not valid", false},
    {"22", "time period not valid", false},
    {"23", "message type not supported", false},
    {"24", "message too long", false},
    {"25", "requested standard text not valid", false},
    {"26", "message type not valid", false},
    {"27", "message not found", false},
    {"28", "invalid character set", false},
    {"37", "delivery in progress", true},
    {"50", "low network status", true},
}};

struct ReasonCode {
  std::string_view code;
  std::string_view text;
};

constexpr std::array<ReasonCode, 14> kReasons = {{
    {"000", "unknown subscriber"},
    {"001", "service temporarily not available"},
    {"003", "service temporarily not available"},
    {"005", "network time-out"},
    {"100", "facility not supported"},
    {"101", "unknown subscriber"},
    {"103", "call barred"},
    {"105", "centre congestion"},
    {"107", "absent subscriber"},
    {"108", "delivery failed"},
    {"110", "protocol error"},
    {"111", "phone not equipped"},
    {"114", "illegal phone"},
    {"118", "system failure"},
}};

bool Proprietary(std::string_view code) {
  return code.size() == 2 && code[0] == '9' && code[1] >= '0' && code[1] <= '9';
}

}  // namespace

std::string EmiErrorText(std::string_view code) {
  if (code.empty()) return "no error code";
  for (const ErrorCode& error : kErrors) {
    if (error.code == code) return std::string(code) + " " + std::string(error.text);
  }
  if (Proprietary(code)) return std::string(code) + " error of the centre's own";
  return std::string(code) + " error";
}

bool IsTransientEmiError(std::string_view code) {
  for (const ErrorCode& error : kErrors) {
    if (error.code == code) return error.transient;
  }
  return Proprietary(code);
}

std::string EmiReasonText(std::string_view reason) {
  for (const ReasonCode& known : kReasons) {
    if (known.code == reason) return std::string(reason) + " " + std::string(known.text);
  }
  return "reason " + (reason.empty() ? std::string("unknown") : std::string(reason));
}

}  // namespace tolvane
