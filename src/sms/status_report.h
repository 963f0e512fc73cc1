#ifndef TOLVANE_SMS_STATUS_REPORT_H_
#define TOLVANE_SMS_STATUS_REPORT_H_

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// A time stamp of the service centre, in its local time.
struct SmsTimestamp {
  int year = 0;  // four digits
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int utc_offset_minutes = 0;

  // "2007-09-12 15:10:12 +02:00".
  std::string Text() const;
  bool operator==(const SmsTimestamp&) const = default;
};

enum class DeliveryOutcome { kDelivered, kStillTrying, kFailed };

// What an SMS-STATUS-REPORT says about a message sent earlier.
struct StatusReport {
  int reference = 0;  // the TP-MR that +CMGS gave for the message
  std::string recipient;
  SmsTimestamp service_centre_time;  // when the centre took the message
  SmsTimestamp discharge_time;       // when the status below came about
  int status = 0;                    // TP-ST, as received
  // Delivered for 00 to 1F, still trying for 20 to 3F, failed for 40 to 7F
  // (the centre gave up, or will not try at all). A reserved value (03 to 0F,
  // 26 to 2F, 4A to 4F, 66 to 6F, 80 on) reads as 63, service rejected with
  // the centre given up.
  DeliveryOutcome outcome = DeliveryOutcome::kDelivered;
  // A short text of the status, such as "Delivered", "Recipient busy" or
  // "Validity period expired"; "Status 0x5A" for a value of the centre's own.
  std::string reason;
};

// Whether the hex starts with the service-centre address, as +CMGR and +CDS
// give it on most modems (some leave it out; the length +CDS gives counts
// the TPDU alone).
enum class ServiceCentrePrefix { kIncluded, kOmitted };

// The octets of a PDU in hex (blanks, CR and LF around it ignored) and where
// its TPDU starts; nothing for bad hex or a centre address running past the
// end.
struct PduOctets {
  std::string octets;
  size_t tpdu_start = 0;
};
std::optional<PduOctets> ReadPduHex(std::string_view hex, ServiceCentrePrefix prefix);

// The 7-octet time stamp at `at`, which moves past it; nothing when it is cut
// short or not decimal.
std::optional<SmsTimestamp> ReadSmsTimestamp(std::string_view octets, size_t& at);

// Reads a status report in hex (blanks, CR and LF around it ignored). Nothing
// for anything that is not a whole SMS-STATUS-REPORT: bad hex, another kind
// of TPDU, a field cut short, a time stamp that is not decimal.
std::optional<StatusReport> ReadStatusReport(std::string_view hex, ServiceCentrePrefix prefix);

}  // namespace tolvane

#endif  // TOLVANE_SMS_STATUS_REPORT_H_
