#include "smpp/smpp_pdu_reader.h"

#include "smpp/smpp_body_reader.h"

namespace tolvane {

std::vector<SmppPdu> SmppPduReader::Feed(std::string_view bytes) {
  std::vector<SmppPdu> pdus;
  if (!error_.empty()) return pdus;
  pending_ += bytes;
  size_t at = 0;
  while (pending_.size() - at >= kPduHeaderLength) {
    SmppBodyReader header(std::string_view(pending_).substr(at, kPduHeaderLength));
    const uint32_t length = *header.Integer(4);
    if (length < kPduHeaderLength || length > kMaxPduLength) {
      error_ = "The provider sent a PDU of " + std::to_string(length) + " bytes";
      pending_.clear();
      return pdus;
    }
    if (pending_.size() - at < length) break;
    SmppPdu pdu;
    pdu.command = *header.Integer(4);
    pdu.status = *header.Integer(4);
    pdu.sequence = *header.Integer(4);
    pdu.body = pending_.substr(at + kPduHeaderLength, length - kPduHeaderLength);
    pdus.push_back(std::move(pdu));
    at += length;
  }
  pending_.erase(0, at);
  return pdus;
}

}  // namespace tolvane
