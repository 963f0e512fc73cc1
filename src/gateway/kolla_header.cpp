#include "gateway/kolla_header.h"

#include <array>

namespace tolvane {
namespace {

struct StatusText {
  const char* code;
  const char* message;
};

constexpr char kUnreachable[] =
    "The phone is unreachable or switched off - message will be delivered later";

// Searched in this order; the first code found wins.
constexpr std::array<StatusText, 20> kStatusTable = {{
    {"200", "Message delivered to recipients phone"},
    {"202", "Message placed in message queue, will be sent soon"},
    {"210", kUnreachable},
    {"211", "Phone full"},
    {"212", kUnreachable},
    {"213", "Message sent but delivery status is unknown"},
    {"400", "Error in call"},
    {"430",
     "Message account is zero - you need to fill up the account before sending more messages"},
    {"431", "Account closed due to abuse - contact the administrator"},
    {"432", "Account closed"},
    {"433", "Account don´t exist"},
    {"434", "Not a valid password"},
    {"440", "Message too long"},
    {"450", "Unknown subscriber or not a valid phone number"},
    {"451", "Call barred"},
    {"452", "Phone don´t support SMS"},
    {"453", "You are not allowed to send to this phone"},
    {"500", "Unknown error"},
    {"530", "Error in norvoServer"},
    {"560", "Unknown error"},
}};

}  // namespace

namespace {

const StatusText* FirstStatusIn(const std::string& text) {
  for (const StatusText& entry : kStatusTable) {
    if (text.find(entry.code) != std::string::npos) return &entry;
  }
  return nullptr;
}

}  // namespace

std::string KollaHeader(const std::string& text) {
  const StatusText* status = FirstStatusIn(text);
  return status != nullptr ? status->message : "Unknown status";
}

bool GatewayAccepted(const std::string& text) {
  const StatusText* status = FirstStatusIn(text);
  // The 2xx codes of the table, 200 to 213: the gateway took the message.
  return status != nullptr && status->code[0] == '2';
}

std::string GatewayStatus(const std::string& text) {
  const StatusText* status = FirstStatusIn(text);
  return status != nullptr ? status->code : "";
}

}  // namespace tolvane
