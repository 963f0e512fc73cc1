// What an SMPP provider sends, in arbitrary pieces: the same PDUs whatever
// the cut, none over its bound, a broken length stops the reader for good,
// bodies are read within their end, a receipt names its message, and a
// deliver_sm decodes in each default alphabet into a sound part when it is a
// message (never more characters than octets), into nothing otherwise.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "smpp/smpp_commands.h"
#include "smpp/smpp_pdu.h"
#include "smpp/smpp_pdu_reader.h"
#include "smpp/smpp_receipt.h"

namespace tolvane {
namespace {

void CheckDelivered(const DeliverSm& deliver) {
  for (int alphabet : {0, 1, 3}) {
    const std::optional<ReceivedPart> part = ReceivedFromDeliverSm(deliver, alphabet);
    FUZZ_CHECK(part.has_value() == deliver.IsMessage());
    if (!part) continue;
    CheckReceivedPart(*part);
    if (part->encoding != "8bit") {
      const size_t octets =
          std::max(deliver.short_message.size(), deliver.message_payload.value_or("").size());
      FUZZ_CHECK(Utf8Length(part->text) <= octets);
    }
  }
}

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  const std::string stream(reinterpret_cast<const char*>(data), size);

  SmppPduReader whole;
  const std::vector<SmppPdu> expected = whole.Feed(stream);

  // The same bytes in pieces whose sizes come from the stream itself.
  SmppPduReader pieces;
  std::vector<SmppPdu> got;
  size_t at = 0;
  for (size_t step = 1; at < stream.size(); step = step * 7 % 23 + 1) {
    for (SmppPdu& pdu : pieces.Feed(std::string_view(stream).substr(at, step))) {
      got.push_back(std::move(pdu));
    }
    at += step;
  }
  FUZZ_CHECK(got == expected);
  FUZZ_CHECK(pieces.Error() == whole.Error());
  if (!whole.Error().empty()) FUZZ_CHECK(whole.Feed(stream).empty());

  for (const SmppPdu& pdu : expected) {
    FUZZ_CHECK(pdu.body.size() + kPduHeaderLength <= kMaxPduLength);
    FUZZ_CHECK(SmppPduReader().Feed(EncodePdu(pdu)) == std::vector<SmppPdu>{pdu});
    if (pdu.command == kDeliverSm) {
      if (const std::optional<DeliverSm> deliver = ReadDeliverSm(pdu.body)) {
        FUZZ_CHECK(deliver->short_message.size() <= pdu.body.size());
        if (const std::optional<SmppReceipt> receipt = ReadSmppReceipt(*deliver)) {
          FUZZ_CHECK(!receipt->message_id.empty() && !receipt->state_name.empty());
        }
        CheckDelivered(*deliver);
      }
    } else if (pdu.command & kResponseBit) {
      if (const std::optional<std::string> id = ReadIdBody(pdu.body)) {
        FUZZ_CHECK(id->size() < 65);
      }
    }
  }
  return 0;
}

}  // namespace tolvane
