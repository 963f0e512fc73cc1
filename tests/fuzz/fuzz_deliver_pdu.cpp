// Any bytes as the TPDU of a received SMS, with and without a centre address
// before it, and as the line itself: the reader answers or refuses, and what
// it answers is whole UTF-8 text in one of the three codings, with a link
// that fits its reference size and count.
#include <string>

#include "fuzz_check.h"
#include "sms/deliver_pdu.h"
#include "sms/hex_octets.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

void Check(const std::string& hex) {
  for (ServiceCentrePrefix prefix :
       {ServiceCentrePrefix::kIncluded, ServiceCentrePrefix::kOmitted}) {
    const std::optional<ReceivedPart> part = ReadDeliver(hex, prefix);
    if (!part) continue;
    FUZZ_CHECK(IsValidUtf8(part->text) && IsValidUtf8(part->sender));
    FUZZ_CHECK(part->encoding == "GSM" || part->encoding == "UCS2" || part->encoding == "8bit");
    FUZZ_CHECK(part->centre_time.size() == std::string("2026-12-08 15:10:12 +01:00").size());
    if (part->link) {
      const PartLink& link = *part->link;
      FUZZ_CHECK(link.reference_bits == 8 || link.reference_bits == 16);
      FUZZ_CHECK(link.reference >= 0 && link.reference < (1 << link.reference_bits));
      FUZZ_CHECK(link.total > 1 && link.index >= 1 && link.index <= link.total);
    }
  }
}

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Check(ToHex(bytes));
  Check(bytes);
  return 0;
}

}  // namespace tolvane
