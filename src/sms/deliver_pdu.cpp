#include "sms/deliver_pdu.h"

#include <string>
#include <utility>

#include "sms/gsm7_packing.h"
#include "sms/gsm_alphabet.h"
#include "sms/sms_address.h"
#include "sms/ucs2.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

constexpr unsigned char kMessageTypeMask = 0x03;
constexpr unsigned char kDeliverType = 0x00;
constexpr unsigned char kHeaderIndicator = 0x40;
constexpr unsigned char kConcatenation8 = 0x00;
constexpr unsigned char kConcatenation16 = 0x08;

enum class Alphabet { kGsm, kOctets, kUcs2 };

unsigned char Octet(std::string_view octets, size_t at) {
  return static_cast<unsigned char>(octets[at]);
}

// The alphabet a data coding scheme names. The general and automatic-deletion
// groups name it in bits 3-2 (compressed text is shown as data), the
// message-waiting groups store GSM or UCS-2 text, the class group GSM or
// 8-bit data; reserved codings read as the GSM alphabet.
Alphabet AlphabetOf(unsigned char dcs) {
  if (dcs < 0x80) {
    if (dcs & 0x20) return Alphabet::kOctets;
    const int bits = (dcs >> 2) & 0x03;
    return bits == 1 ? Alphabet::kOctets : bits == 2 ? Alphabet::kUcs2 : Alphabet::kGsm;
  }
  if ((dcs & 0xF0) == 0xE0) return Alphabet::kUcs2;
  if ((dcs & 0xF0) == 0xF0 && (dcs & 0x04)) return Alphabet::kOctets;
  return Alphabet::kGsm;
}

// Class 0: in the general groups when bit 4 says the class counts, and in
// the class group.
bool IsFlash(unsigned char dcs) {
  if (dcs < 0x80) return (dcs & 0x10) != 0 && (dcs & 0x03) == 0;
  return (dcs & 0xF3) == 0xF0;
}

// The concatenation element of the header (its length octet first), when it
// has a usable one: an element whose count is 0, or whose place is 0 or past
// the count, is ignored, as is a count of 1 (a whole message).
std::optional<PartLink> LinkOf(std::string_view header) {
  std::optional<PartLink> link;
  for (size_t element = 1; element + 2 <= header.size();) {
    const unsigned char id = Octet(header, element);
    const size_t length = Octet(header, element + 1);
    const size_t value = element + 2;
    if (value + length > header.size()) break;
    const bool eight = id == kConcatenation8 && length == 3;
    if (eight || (id == kConcatenation16 && length == 4)) {
      const size_t counts = value + (eight ? 1 : 2);
      PartLink found{
          eight ? Octet(header, value) : Octet(header, value) << 8 | Octet(header, value + 1),
          Octet(header, counts), Octet(header, counts + 1), eight ? 8 : 16};
      if (found.total > 1 && found.index >= 1 && found.index <= found.total) link = found;
    }
    element = value + length;
  }
  return link;
}

}  // namespace

std::optional<ReceivedPart> ReadDeliver(std::string_view hex, ServiceCentrePrefix prefix) {
  const std::optional<PduOctets> pdu = ReadPduHex(hex, prefix);
  if (!pdu) return std::nullopt;
  const std::string_view octets = pdu->octets;
  size_t at = pdu->tpdu_start;
  if (at >= octets.size() || (Octet(octets, at) & kMessageTypeMask) != kDeliverType) {
    return std::nullopt;
  }
  const bool has_header = (Octet(octets, at) & kHeaderIndicator) != 0;
  ++at;
  ReceivedPart part;
  std::optional<std::string> sender = ReadAddress(octets, at);
  if (!sender || at + 2 > octets.size()) return std::nullopt;
  part.sender = std::move(*sender);
  const unsigned char dcs = Octet(octets, at + 1);
  at += 2;  // protocol identifier and data coding
  const std::optional<SmsTimestamp> centre_time = ReadSmsTimestamp(octets, at);
  if (!centre_time || at >= octets.size()) return std::nullopt;
  part.centre_time = centre_time->Text();
  part.flash = IsFlash(dcs);
  const Alphabet alphabet = AlphabetOf(dcs);
  const size_t length = Octet(octets, at++);
  const size_t data_octets = alphabet == Alphabet::kGsm ? PackedOctetCount(length) : length;
  if (octets.size() - at < data_octets) return std::nullopt;
  const std::string_view data = octets.substr(at, data_octets);
  size_t header_octets = 0;
  if (has_header) {
    if (data.empty() || Octet(data, 0) >= data.size()) return std::nullopt;
    header_octets = 1 + Octet(data, 0);
    part.link = LinkOf(data.substr(0, header_octets));
  }
  switch (alphabet) {
    case Alphabet::kGsm: {
      // The text starts on the first septet boundary after the header.
      const size_t header_septets = (header_octets * 8 + 6) / 7;
      if (header_septets > length) return std::nullopt;
      const std::string septets = UnpackSeptets(data, length);
      part.text = EncodeUtf8(FromGsmSeptets(std::string_view(septets).substr(header_septets)));
      part.encoding = "GSM";
      break;
    }
    case Alphabet::kUcs2:
      part.text = EncodeUtf8(DecodeUcs2(data.substr(header_octets)));
      part.encoding = "UCS2";
      break;
    case Alphabet::kOctets:
      part.text = "Binary message, " + std::to_string(data_octets - header_octets) + " bytes";
      part.encoding = "8bit";
      break;
  }
  return part;
}

}  // namespace tolvane
