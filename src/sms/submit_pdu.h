#ifndef TOLVANE_SMS_SUBMIT_PDU_H_
#define TOLVANE_SMS_SUBMIT_PDU_H_

#include <cstdint>
#include <string>

#include "sms/message_settings.h"
#include "sms/sms_message.h"

namespace tolvane {

// What goes before the TPDU on the modem line to use the service centre
// stored on the SIM; it is not counted in the length given to AT+CMGS.
inline constexpr char kSimServiceCentre[] = "00";

struct SubmitOptions {
  // "+46701234567", "0046701234567" or a national "0701234567".
  std::string recipient;
  // Where a number starting with it is international.
  std::string international_prefix = "00";
  bool status_report = true;
  int validity_minutes = kDefaultValidityMinutes;
};

// An SMS-SUBMIT TPDU for PDU mode: AT+CMGS=<octets>, then the hex.
struct SubmitPdu {
  std::string hex;  // uppercase, without the service-centre address
  int octets = 0;
  // Why there is no TPDU ("Invalid recipient number", "Message part too
  // long"); empty otherwise.
  std::string error;
};

// The relative TP-VP octet of a validity period: the shortest period the
// service centre knows of that is not shorter than asked (5-minute steps up
// to 12 hours, 30-minute steps up to a day, days up to 30, then weeks; at
// most 63 weeks).
uint8_t RelativeValidityPeriod(int minutes);

// One part as a TPDU: submit with a relative validity period, the status
// report asked for when wanted, the header indicator set for a linked part;
// message reference 00 (the modem sets its own), protocol 00, data coding
// 00 (GSM, the septets packed behind the header and its fill bits) or 08
// (UCS-2).
SubmitPdu BuildSubmitPdu(const SmsPart& part, SmsEncoding encoding, const SubmitOptions& options);

}  // namespace tolvane

#endif  // TOLVANE_SMS_SUBMIT_PDU_H_
