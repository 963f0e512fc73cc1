// Any bytes as the TPDU of a received SMS, with and without a centre address
// before it, and as the line itself: the reader answers or refuses, and what
// it answers is whole UTF-8 text in one of the three codings, with a link
// that fits its reference size and count.
#include <string>

#include "received_part_check.h"
#include "sms/deliver_pdu.h"
#include "sms/hex_octets.h"

namespace tolvane {
namespace {

void Check(const std::string& hex) {
  for (ServiceCentrePrefix prefix :
       {ServiceCentrePrefix::kIncluded, ServiceCentrePrefix::kOmitted}) {
    const std::optional<ReceivedPart> part = ReadDeliver(hex, prefix);
    if (!part) continue;
    CheckReceivedPart(*part);
    FUZZ_CHECK(part->centre_time.size() == std::string("2026-12-08 15:10:12 +01:00").size());
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
