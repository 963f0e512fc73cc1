#include "smpp/smpp_pdu.h"

namespace tolvane {

void AppendInteger(std::string& body, uint32_t value, int octets) {
  for (int shift = 8 * (octets - 1); shift >= 0; shift -= 8) {
    body += static_cast<char>((value >> shift) & 0xFF);
  }
}

void AppendCString(std::string& body, std::string_view text) {
  body += text;
  body += '\0';
}

std::string EncodePdu(const SmppPdu& pdu) {
  std::string bytes;
  bytes.reserve(kPduHeaderLength + pdu.body.size());
  AppendInteger(bytes, static_cast<uint32_t>(kPduHeaderLength + pdu.body.size()), 4);
  AppendInteger(bytes, pdu.command, 4);
  AppendInteger(bytes, pdu.status, 4);
  AppendInteger(bytes, pdu.sequence, 4);
  return bytes + pdu.body;
}

}  // namespace tolvane
