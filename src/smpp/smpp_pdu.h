#ifndef TOLVANE_SMPP_SMPP_PDU_H_
#define TOLVANE_SMPP_SMPP_PDU_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane {

// SMPP 3.4 command identifiers; an answer is its request's identifier with
// the top bit set.
inline constexpr uint32_t kGenericNack = 0x80000000;
inline constexpr uint32_t kSubmitSm = 0x00000004;
inline constexpr uint32_t kDeliverSm = 0x00000005;
inline constexpr uint32_t kUnbind = 0x00000006;
inline constexpr uint32_t kBindTransceiver = 0x00000009;
inline constexpr uint32_t kEnquireLink = 0x00000015;
inline constexpr uint32_t kResponseBit = 0x80000000;

// Every PDU starts with four 32-bit big-endian fields: its whole length,
// the command, the status and the sequence number.
inline constexpr size_t kPduHeaderLength = 16;
// No PDU a provider sends is anywhere near this long; a longer length field
// is a broken stream.
inline constexpr size_t kMaxPduLength = 64 * 1024;

// Optional parameters (tag, length, value) of a deliver_sm: of a receipt,
// and of a message whose text is long or one part of a linked one.
inline constexpr uint16_t kTagReceiptedMessageId = 0x001E;
inline constexpr uint16_t kTagMessageState = 0x0427;
inline constexpr uint16_t kTagMessagePayload = 0x0424;
inline constexpr uint16_t kTagSarMsgRefNum = 0x020C;
inline constexpr uint16_t kTagSarTotalSegments = 0x020E;
inline constexpr uint16_t kTagSarSegmentSeqnum = 0x020F;

// One PDU without its length field, which the encoding supplies.
struct SmppPdu {
  uint32_t command = 0;
  uint32_t status = 0;
  uint32_t sequence = 0;
  std::string body;

  bool operator==(const SmppPdu&) const = default;
};

// The PDU's bytes on the wire.
std::string EncodePdu(const SmppPdu& pdu);

// Pieces of a PDU body: an integer of 1, 2 or 4 octets (big-endian), and a
// C-Octet String (the text and a closing zero).
void AppendInteger(std::string& body, uint32_t value, int octets);
void AppendCString(std::string& body, std::string_view text);

}  // namespace tolvane

#endif  // TOLVANE_SMPP_SMPP_PDU_H_
