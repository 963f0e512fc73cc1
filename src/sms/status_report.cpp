#include "sms/status_report.h"

#include <array>
#include <cstdio>
#include <utility>

#include "sms/hex_octets.h"
#include "sms/sms_address.h"

namespace tolvane {
namespace {

constexpr unsigned char kMessageTypeMask = 0x03;
constexpr unsigned char kStatusReportType = 0x02;
constexpr size_t kTimestampOctets = 7;

// The reasons the standard names. A temporary error reads the same whether
// the centre still tries (2x) or has given up (6x); the outcome tells them
// apart.
constexpr std::array<std::pair<int, const char*>, 19> kReasons = {{
    {0x00, "Delivered"},
    {0x01, "Forwarded, delivery not confirmed"},
    {0x02, "Replaced by the service centre"},
    {0x20, "Congestion"},
    {0x21, "Recipient busy"},
    {0x22, "No response from recipient"},
    {0x23, "Service rejected"},
    {0x24, "Quality of service not available"},
    {0x25, "Error in the recipient's phone"},
    {0x40, "Remote procedure error"},
    {0x41, "Incompatible destination"},
    {0x42, "Connection rejected by recipient"},
    {0x43, "Not obtainable"},
    {0x44, "Quality of service not available"},
    {0x45, "No interworking available"},
    {0x46, "Validity period expired"},
    {0x47, "Deleted by the sender"},
    {0x48, "Deleted by the service centre"},
    {0x49, "Message does not exist"},
}};

// What a reserved value reads as: service rejected, the centre given up.
constexpr int kReservedReadsAs = 0x63;

const char* NamedReason(int status) {
  const int lookup = status >= 0x60 && status <= 0x65 ? status - 0x40 : status;
  for (const auto& [value, text] : kReasons) {
    if (value == lookup) return text;
  }
  return nullptr;
}

// The last 16 values of each group of 32 below 80 are the centre's own; the
// rest of the values without a name are reserved.
int ReadAs(int status) {
  const bool centres_own = status < 0x80 && (status & 0x10) != 0;
  return centres_own || NamedReason(status) ? status : kReservedReadsAs;
}

std::string ReasonText(int status) {
  if (const char* named = NamedReason(status)) return named;
  char text[16];
  std::snprintf(text, sizeof text, "Status 0x%02X", status);
  return text;
}

DeliveryOutcome OutcomeOf(int status) {
  if (status < 0x20) return DeliveryOutcome::kDelivered;
  if (status < 0x40) return DeliveryOutcome::kStillTrying;
  return DeliveryOutcome::kFailed;
}

// Two decimal semi-octets, the low one first; nothing when either is not a
// decimal digit.
std::optional<int> SwappedDecimal(unsigned char octet) {
  const int low = octet & 0x0F;
  const int high = octet >> 4;
  if (low > 9 || high > 9) return std::nullopt;
  return low * 10 + high;
}

std::string_view TrimLineBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::optional<SmsTimestamp> ReadSmsTimestamp(std::string_view octets, size_t& at) {
  if (at + kTimestampOctets > octets.size()) return std::nullopt;
  std::array<int, 6> fields{};
  for (size_t i = 0; i < fields.size(); ++i) {
    const std::optional<int> value = SwappedDecimal(static_cast<unsigned char>(octets[at + i]));
    if (!value) return std::nullopt;
    fields[i] = *value;
  }
  // The zone is in quarter hours; bit 3 (of the tens digit) is the sign.
  const auto zone = static_cast<unsigned char>(octets[at + 6]);
  const std::optional<int> quarters = SwappedDecimal(zone & 0xF7);
  if (!quarters) return std::nullopt;
  at += kTimestampOctets;
  return SmsTimestamp{2000 + fields[0],
                      fields[1],
                      fields[2],
                      fields[3],
                      fields[4],
                      fields[5],
                      (zone & 0x08 ? -15 : 15) * *quarters};
}

std::optional<PduOctets> ReadPduHex(std::string_view hex, ServiceCentrePrefix prefix) {
  std::optional<std::string> octets = FromHex(TrimLineBlanks(hex));
  if (!octets) return std::nullopt;
  size_t start = 0;
  if (prefix == ServiceCentrePrefix::kIncluded) {
    if (octets->empty()) return std::nullopt;
    start = 1 + static_cast<unsigned char>((*octets)[0]);
    if (start > octets->size()) return std::nullopt;
  }
  return PduOctets{std::move(*octets), start};
}

std::string SmsTimestamp::Text() const {
  const int offset = utc_offset_minutes < 0 ? -utc_offset_minutes : utc_offset_minutes;
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d %c%02d:%02d", year, month, day,
                hour, minute, second, utc_offset_minutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
}

std::optional<StatusReport> ReadStatusReport(std::string_view hex, ServiceCentrePrefix prefix) {
  const std::optional<PduOctets> pdu = ReadPduHex(hex, prefix);
  if (!pdu) return std::nullopt;
  const std::string* const octets = &pdu->octets;
  size_t at = pdu->tpdu_start;
  if (at + 2 > octets->size() ||
      (static_cast<unsigned char>((*octets)[at]) & kMessageTypeMask) != kStatusReportType) {
    return std::nullopt;
  }
  StatusReport report;
  report.reference = static_cast<unsigned char>((*octets)[at + 1]);
  at += 2;
  std::optional<std::string> recipient = ReadAddress(*octets, at);
  if (!recipient) return std::nullopt;
  report.recipient = std::move(*recipient);
  const std::optional<SmsTimestamp> service_centre_time = ReadSmsTimestamp(*octets, at);
  const std::optional<SmsTimestamp> discharge_time =
      service_centre_time ? ReadSmsTimestamp(*octets, at) : std::nullopt;
  if (!discharge_time || at >= octets->size()) return std::nullopt;
  report.service_centre_time = *service_centre_time;
  report.discharge_time = *discharge_time;
  report.status = static_cast<unsigned char>((*octets)[at]);
  report.outcome = OutcomeOf(ReadAs(report.status));
  report.reason = ReasonText(ReadAs(report.status));
  return report;
}

}  // namespace tolvane
