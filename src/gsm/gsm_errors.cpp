#include "gsm/gsm_errors.h"

#include <optional>

#include "gsm/at_line_reader.h"

namespace tolvane {
namespace {

struct CodeText {
  int code;
  const char* text;
};

// Equipment errors, the SIM and network ones that a send meets.
constexpr CodeText kCmeTexts[] = {
    {0, "phone failure"},
    {3, "operation not allowed"},
    {4, "operation not supported"},
    {5, "phone-SIM PIN needed"},
    {10, "no SIM card"},
    {11, "SIM PIN needed"},
    {12, "SIM PUK needed"},
    {13, "SIM failure"},
    {14, "SIM busy"},
    {15, "wrong SIM"},
    {16, "incorrect PIN"},
    {17, "SIM PIN2 needed"},
    {18, "SIM PUK2 needed"},
    {20, "memory full"},
    {21, "invalid index"},
    {22, "not found"},
    {23, "memory failure"},
    {30, "no network"},
    {31, "network time-out"},
    {32, "network not allowed, emergency calls only"},
    {100, "unknown error"},
};

// Message service errors: the network's causes below 128, the modem's from 300.
constexpr CodeText kCmsTexts[] = {
    {1, "unassigned number"},
    {8, "operator barring"},
    {10, "call barred"},
    {21, "message rejected by the network"},
    {27, "destination out of service"},
    {28, "unidentified subscriber"},
    {29, "facility rejected"},
    {30, "unknown subscriber"},
    {38, "network out of order"},
    {41, "temporary network failure"},
    {42, "network congestion"},
    {47, "network resources unavailable"},
    {50, "facility not subscribed"},
    {69, "facility not implemented"},
    {81, "invalid message reference"},
    {95, "invalid message"},
    {96, "invalid mandatory information"},
    {97, "message type unknown"},
    {98, "message not compatible"},
    {111, "protocol error"},
    {127, "interworking error"},
    {300, "modem failure"},
    {301, "message service of the modem reserved"},
    {302, "operation not allowed"},
    {303, "operation not supported"},
    {304, "invalid PDU"},
    {305, "invalid text mode parameter"},
    {310, "no SIM card"},
    {311, "SIM PIN needed"},
    {312, "phone-SIM PIN needed"},
    {313, "SIM failure"},
    {314, "SIM busy"},
    {315, "wrong SIM"},
    {316, "SIM PUK needed"},
    {317, "SIM PIN2 needed"},
    {318, "SIM PUK2 needed"},
    {320, "memory failure"},
    {321, "invalid memory index"},
    {322, "memory full"},
    {330, "SMS centre unknown"},
    {331, "no network"},
    {332, "no answer from the network"},
    {340, "no acknowledgement expected"},
    {500, "unknown error"},
    {512, "modem busy, try later"},
    {513, "message not sent, try later"},
    {514, "network busy, try later"},
    {515, "modem still starting, try later"},
};

template <size_t N>
const char* Find(const CodeText (&table)[N], int code) {
  for (const CodeText& entry : table) {
    if (entry.code == code) return entry.text;
  }
  return nullptr;
}

}  // namespace

std::string GsmErrorText(std::string_view final_line) {
  const char* text = nullptr;
  if (std::optional<int> code = ErrorCode(final_line, "+CMS ERROR")) {
    text = Find(kCmsTexts, *code);
  } else if (std::optional<int> code = ErrorCode(final_line, "+CME ERROR")) {
    text = Find(kCmeTexts, *code);
  } else if (final_line == "ERROR") {
    return "the GSM modem refused the command (ERROR)";
  }
  std::string line(final_line);
  return text ? std::string(text) + " (" + line + ")" : line;
}

bool IsPassingGsmError(std::string_view final_line) {
  std::optional<int> code = ErrorCode(final_line, "+CMS ERROR");
  return code && *code >= 512 && *code <= 515;
}

bool IsSimPinWanted(std::string_view final_line) {
  return ErrorCode(final_line, "+CME ERROR") == 11 || ErrorCode(final_line, "+CMS ERROR") == 311;
}

bool IsUnknownGsmOutcome(std::string_view final_line) {
  return ErrorCode(final_line, "+CMS ERROR") == 332;
}

}  // namespace tolvane
