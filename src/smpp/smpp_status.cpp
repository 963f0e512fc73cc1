#include "smpp/smpp_status.h"

#include <cstdio>
#include <utility>

namespace tolvane {
namespace {

// The error codes of SMPP 3.4, section 5.1.3.
constexpr std::pair<uint32_t, const char*> kStatusTexts[] = {
    {0x00, "no error"},
    {0x01, "message length is invalid"},
    {0x02, "command length is invalid"},
    {0x03, "invalid command"},
    {0x04, "incorrect bind status for the command"},
    {0x05, "already bound"},
    {0x06, "invalid priority flag"},
    {0x07, "invalid registered delivery flag"},
    {0x08, "system error"},
    {0x0A, "invalid source address"},
    {0x0B, "invalid destination address"},
    {0x0C, "message id is invalid"},
    {0x0D, "bind failed"},
    {0x0E, "invalid password"},
    {0x0F, "invalid system id"},
    {0x11, "cancel failed"},
    {0x13, "replace failed"},
    {0x14, "message queue full"},
    {0x15, "invalid service type"},
    {0x33, "invalid number of destinations"},
    {0x34, "invalid distribution list name"},
    {0x40, "invalid destination flag"},
    {0x42, "invalid submit with replace request"},
    {0x43, "invalid esm_class field data"},
    {0x44, "cannot submit to distribution list"},
    {0x45, "submit failed"},
    {0x48, "invalid source address type"},
    {0x49, "invalid source address numbering plan"},
    {0x50, "invalid destination address type"},
    {0x51, "invalid destination address numbering plan"},
    {0x53, "invalid system type"},
    {0x54, "invalid replace if present flag"},
    {0x55, "invalid number of messages"},
    {0x58, "throttling error: too many messages at once"},
    {0x61, "invalid scheduled delivery time"},
    {0x62, "invalid validity period"},
    {0x63, "predefined message invalid or not found"},
    {0x64, "temporary application error"},
    {0x65, "permanent application error"},
    {0x66, "application error: message rejected"},
    {0x67, "query failed"},
    {0xC0, "error in the optional part of the PDU"},
    {0xC1, "optional parameter not allowed"},
    {0xC2, "invalid parameter length"},
    {0xC3, "expected optional parameter missing"},
    {0xC4, "invalid optional parameter value"},
    {0xFE, "delivery failure"},
    {0xFF, "unknown error"},
};

}  // namespace

std::string SmppStatusText(uint32_t status) {
  const char* text = "error";
  for (const auto& [code, known] : kStatusTexts) {
    if (code == status) text = known;
  }
  char code[16];
  std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(status));
  return std::string(text) + " (" + code + ")";
}

bool IsThrottling(uint32_t status) {
  return status == kStatusThrottled || status == kStatusMessageQueueFull;
}

}  // namespace tolvane
