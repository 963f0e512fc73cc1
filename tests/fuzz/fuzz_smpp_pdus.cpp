// What an SMPP provider sends, in arbitrary pieces: the stream is cut into
// PDUs whatever the cut, each no longer than its bound, the same PDUs as the
// whole stream gives; a broken length stops the reader for good; every body
// is read without reading past its end, and a receipt always names its
// message.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "smpp/smpp_commands.h"
#include "smpp/smpp_pdu.h"
#include "smpp/smpp_pdu_reader.h"
#include "smpp/smpp_receipt.h"

int tolvane::FuzzOne(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string stream = input.ConsumeRemainingBytesAsString();

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
      }
    } else if (pdu.command & kResponseBit) {
      if (const std::optional<std::string> id = ReadIdBody(pdu.body)) {
        FUZZ_CHECK(id->size() < 65);
      }
    }
  }
  return 0;
}
