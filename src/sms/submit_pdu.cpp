#include "sms/submit_pdu.h"

#include <optional>

#include "sms/gsm7_packing.h"
#include "sms/hex_octets.h"
#include "sms/sms_address.h"

namespace tolvane {
namespace {

constexpr unsigned char kSubmit = 0x01;
constexpr unsigned char kRelativeValidity = 0x10;
constexpr unsigned char kStatusReportRequest = 0x20;
constexpr unsigned char kUserDataHeader = 0x40;
constexpr char kGsmDataCoding = 0x00;
constexpr char kUcs2DataCoding = 0x08;
constexpr size_t kMaxUserDataOctets = 140;

int CeilDiv(int value, int step) {
  return static_cast<int>((static_cast<long long>(value) + step - 1) / step);
}

}  // namespace

uint8_t RelativeValidityPeriod(int minutes) {
  constexpr int kHalfDay = 12 * 60;
  constexpr int kDay = 24 * 60;
  constexpr int kWeek = 7 * kDay;
  if (minutes <= kHalfDay) return static_cast<uint8_t>(minutes <= 5 ? 0 : CeilDiv(minutes, 5) - 1);
  if (minutes <= kDay) return static_cast<uint8_t>(143 + CeilDiv(minutes - kHalfDay, 30));
  if (minutes <= 30 * kDay) return static_cast<uint8_t>(166 + CeilDiv(minutes, kDay));
  const int weeks = CeilDiv(minutes, kWeek);
  return static_cast<uint8_t>(weeks >= 63 ? 255 : 192 + weeks);
}

SubmitPdu BuildSubmitPdu(const SmsPart& part, SmsEncoding encoding, const SubmitOptions& options) {
  SubmitPdu pdu;
  const std::optional<std::string> address =
      EncodeNumberAddress(options.recipient, options.international_prefix);
  if (!address) {
    pdu.error = "Invalid recipient number";
    return pdu;
  }
  std::string user_data = part.header;
  size_t length = 0;
  if (encoding == SmsEncoding::kGsm7) {
    const int header_bits = static_cast<int>(part.header.size()) * 8;
    const int fill_bits = (7 - header_bits % 7) % 7;
    user_data += PackSeptets(part.payload, fill_bits);
    length = static_cast<size_t>((header_bits + fill_bits) / 7) + part.payload.size();
  } else {
    user_data += part.payload;
    length = user_data.size();
  }
  if (user_data.size() > kMaxUserDataOctets) {
    pdu.error = "Message part too long";
    return pdu;
  }

  unsigned char first = kSubmit | kRelativeValidity;
  if (options.status_report) first |= kStatusReportRequest;
  if (!part.header.empty()) first |= kUserDataHeader;
  std::string tpdu;
  tpdu += static_cast<char>(first);
  tpdu += '\0';  // message reference
  tpdu += *address;
  tpdu += '\0';  // protocol identifier
  tpdu += encoding == SmsEncoding::kGsm7 ? kGsmDataCoding : kUcs2DataCoding;
  tpdu += static_cast<char>(RelativeValidityPeriod(options.validity_minutes));
  tpdu += static_cast<char>(length);
  tpdu += user_data;
  pdu.hex = ToHex(tpdu);
  pdu.octets = static_cast<int>(tpdu.size());
  return pdu;
}

}  // namespace tolvane
