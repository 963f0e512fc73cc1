// Any bytes as a message text: the parts read back as the text (malformed
// UTF-8 as U+FFFD, ç as the Ç it is sent as), none over its room or cutting
// an escape or surrogate pair, each making a TPDU. The same bytes, raw and as
// hex, go to the status-report and deliver readers, which answer soundly or
// refuse.
#include <string>

#include "fuzz_check.h"
#include "sms/deliver_pdu.h"
#include "sms/gsm_alphabet.h"
#include "sms/hex_octets.h"
#include "sms/message_splitter.h"
#include "sms/status_report.h"
#include "sms/submit_pdu.h"
#include "sms/ucs2.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

class FixedReference : public ReferenceCounter {
 public:
  uint8_t Next() override { return 7; }
};

// The part has an escape as its last septet, which leaves its pair's second
// half to the next part.
bool EndsInsideEscape(const std::string& septets) {
  bool escaped = false;
  for (char septet : septets) escaped = !escaped && septet == kGsmEscape;
  return escaped;
}

bool CutsSurrogatePair(const std::string& octets) {
  if (octets.size() < 2) return false;
  const auto first = static_cast<unsigned char>(octets[0]);
  const auto last = static_cast<unsigned char>(octets[octets.size() - 2]);
  return (first >= 0xDC && first <= 0xDF) || (last >= 0xD8 && last <= 0xDB);
}

void CheckParts(const std::string& text) {
  const TextParts split = SplitIntoParts(text);
  const bool gsm = split.encoding == SmsEncoding::kGsm7;
  const bool linked = split.parts.size() > 1;
  const size_t room = gsm ? (linked ? kLinkedGsmSeptets : kSingleGsmSeptets)
                          : 2 * (linked ? kLinkedUcs2Units : kSingleUcs2Units);
  std::u32string joined;
  for (const std::string& part : split.parts) {
    FUZZ_CHECK(part.size() <= room);
    FUZZ_CHECK(!linked || !part.empty());
    FUZZ_CHECK(gsm ? !EndsInsideEscape(part) : part.size() % 2 == 0 && !CutsSurrogatePair(part));
    joined += gsm ? FromGsmSeptets(part) : DecodeUcs2(part);
  }
  std::u32string expected = DecodeUtf8(text);
  FUZZ_CHECK(Utf8Length(text) == expected.size());
  if (gsm) {
    for (char32_t& c : expected) {
      if (c == U'ç') c = U'Ç';
    }
  }
  FUZZ_CHECK(joined == expected);
  FUZZ_CHECK(split.left_in_last >= 0);
}

void CheckSubmits(const std::string& text) {
  FixedReference reference;
  const SmsMessage message = PrepareMessage(text, kMostMaxParts, reference);
  if (!message.error.empty()) return;
  const SubmitOptions options{"+46701234567"};
  for (const SmsPart& part : message.parts) {
    const SubmitPdu pdu = BuildSubmitPdu(part, message.encoding, options);
    FUZZ_CHECK(pdu.error.empty());
    FUZZ_CHECK(pdu.hex.size() == 2 * static_cast<size_t>(pdu.octets));
    FUZZ_CHECK(pdu.octets <= 14 + 140);
  }
}

void CheckReceived(const std::string& hex) {
  for (ServiceCentrePrefix prefix :
       {ServiceCentrePrefix::kIncluded, ServiceCentrePrefix::kOmitted}) {
    const std::optional<StatusReport> report = ReadStatusReport(hex, prefix);
    if (report) FUZZ_CHECK(!report->reason.empty() && report->status <= 0xFF);
    if (const std::optional<ReceivedPart> part = ReadDeliver(hex, prefix)) {
      CheckReceivedPart(*part);
      FUZZ_CHECK(part->centre_time.size() == std::string("2026-12-08 15:10:12 +01:00").size());
    }
  }
}

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckParts(bytes);
  CheckSubmits(bytes);
  CheckReceived(bytes);
  CheckReceived(ToHex(bytes));
  return 0;
}

}  // namespace tolvane
