#include "sim/submit_tpdu_reader.h"

#include "sms/sms_address.h"

namespace tolvane::sim {
namespace {

constexpr unsigned char kMessageTypeMask = 0x03;
constexpr unsigned char kSubmitType = 0x01;
constexpr unsigned char kStatusReportRequest = 0x20;
constexpr unsigned char kHeaderIndicator = 0x40;
constexpr unsigned char kValidityFormatMask = 0x18;
constexpr unsigned char kRelativeValidity = 0x10;
constexpr unsigned char kConcatenation8 = 0x00;
constexpr unsigned char kConcatenation16 = 0x08;

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

// Whether the data coding packs the user data as septets: the general and the
// message-waiting groups unless they name 8-bit or UCS-2, and the class group
// without its 8-bit bit.
bool CountsSeptets(unsigned char coding) {
  if ((coding & 0xC0) == 0x00) return ((coding >> 2) & 0x03) == 0;
  if ((coding & 0xF0) == 0xF0) return (coding & 0x04) == 0;
  return (coding & 0xF0) != 0xE0;
}

// Finds the concatenation element in the user-data header at `at`.
void ReadParts(std::string_view octets, size_t at, SubmitTpdu& submit) {
  const size_t end = at + 1 + Octet(octets, at);
  for (size_t element = at + 1; element + 2 <= end && end <= octets.size();) {
    const unsigned char id = Octet(octets, element);
    const size_t length = Octet(octets, element + 1);
    const size_t value = element + 2;
    if (value + length > end) return;
    if (id == kConcatenation8 && length == 3) {
      submit.parts = Octet(octets, value + 1);
      submit.part = Octet(octets, value + 2);
    } else if (id == kConcatenation16 && length == 4) {
      submit.parts = Octet(octets, value + 2);
      submit.part = Octet(octets, value + 3);
    }
    element = value + length;
  }
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
  const size_t data_octets = CountsSeptets(coding) ? (length * 7 + 7) / 8 : length;
  if (octets.size() - at != data_octets) return std::nullopt;
  if ((first_octet & kHeaderIndicator) != 0) {
    if (data_octets == 0 || Octet(octets, at) >= data_octets) return std::nullopt;
    ReadParts(octets, at, submit);
  }
  return submit;
}

}  // namespace tolvane::sim
