#include "sim/submit_tpdu_reader.h"

#include <algorithm>

#include "sms/gsm7_packing.h"
#include "sms/sms_address.h"

namespace tolvane::sim {
namespace {

constexpr unsigned char kMessageTypeMask = 0x03;
constexpr unsigned char kSubmitType = 0x01;
constexpr unsigned char kStatusReportRequest = 0x20;
constexpr unsigned char kHeaderIndicator = 0x40;
constexpr unsigned char kValidityFormatMask = 0x18;
constexpr unsigned char kRelativeValidity = 0x10;

unsigned char Octet(std::string_view octets, size_t at) {
  return static_cast<unsigned char>(octets[at]);
}

// Octets the validity period takes: none, one relative, or seven (enhanced or
// absolute).
size_t ValidityOctets(unsigned char first_octet) {
  const unsigned char format = first_octet & kValidityFormatMask;
  if (format == 0) return 0;
  return format == kRelativeValidity ? 1 : 7;
}

}  // namespace

std::optional<SubmitTpdu> ReadSubmitTpdu(std::string_view octets) {
  if (octets.size() < 2 || (Octet(octets, 0) & kMessageTypeMask) != kSubmitType) {
    return std::nullopt;
  }
  const unsigned char first_octet = Octet(octets, 0);
  SubmitTpdu submit;
  submit.report_requested = (first_octet & kStatusReportRequest) != 0;
  size_t at = 2;  // past the message reference
  const size_t address_start = at;
  std::optional<std::string> recipient = ReadAddress(octets, at);
  if (!recipient) return std::nullopt;
  submit.recipient = std::move(*recipient);
  submit.recipient_field = std::string(octets.substr(address_start, at - address_start));
  // Protocol identifier, data coding, validity period, user-data length.
  if (at + 2 > octets.size()) return std::nullopt;
  const unsigned char coding = Octet(octets, at + 1);
  at += 2 + ValidityOctets(first_octet);
  if (at >= octets.size()) return std::nullopt;
  const size_t length = Octet(octets, at++);
  const UserDataCoding alphabet = CodingOfDcs(coding);
  const bool septets = alphabet == UserDataCoding::kGsmSeptets;
  const size_t data_octets = septets ? (length * 7 + 7) / 8 : length;
  if (octets.size() - at != data_octets) return std::nullopt;
  const std::string_view data = octets.substr(at);
  size_t header_octets = 0;
  if ((first_octet & kHeaderIndicator) != 0) {
    if (!ReadConcatenation(data, submit.part)) return std::nullopt;
    header_octets = 1 + Octet(data, 0);
  }
  submit.part.destination = submit.recipient.substr(submit.recipient.starts_with('+') ? 1 : 0);
  // Septets behind a header start on the first septet boundary after it.
  if (septets) {
    const std::string all = UnpackSeptets(data, length);
    submit.part.text = DecodeUserText(
        std::string_view(all).substr(std::min(all.size(), (header_octets * 8 + 6) / 7)), alphabet);
  } else {
    submit.part.text = DecodeUserText(data.substr(header_octets), alphabet);
  }
  return submit;
}

}  // namespace tolvane::sim
