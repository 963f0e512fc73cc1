// Any deliver_sm body, read with each default alphabet: a message decodes
// into a sound part whose text never holds more characters than its octets
// (UCS-2 and data fewer), and anything else (a receipt, a notification)
// into nothing.
//
// Input: one byte whose low bits choose the default alphabet, then the body.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>

#include "received_part_check.h"
#include "smpp/smpp_commands.h"

int tolvane::FuzzOne(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  constexpr int kAlphabets[] = {0, 1, 3, 0};
  const int alphabet = kAlphabets[input.ConsumeIntegral<uint8_t>() & 3];
  const std::string body = input.ConsumeRemainingBytesAsString();
  const std::optional<DeliverSm> deliver = ReadDeliverSm(body);
  if (!deliver) return 0;
  const std::optional<ReceivedPart> part = ReceivedFromDeliverSm(*deliver, alphabet);
  FUZZ_CHECK(part.has_value() == deliver->IsMessage());
  if (!part) return 0;
  CheckReceivedPart(*part);
  if (part->encoding != "8bit") {
    const size_t octets =
        std::max(deliver->short_message.size(), deliver->message_payload.value_or("").size());
    FUZZ_CHECK(Utf8Length(part->text) <= octets);
  }
  return 0;
}
