// Any fields of an op 52, read in each alphabet: a frame either decodes into
// a sound part or into nothing, the time stamp is the centre's own or the
// one form the program writes, and a text never holds more characters than
// the hexadecimal digits of its message field (the digits for MT 2).
//
// Input: one byte whose low bit chooses the alphabet, then the fields
// separated by "/".
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "emi/emi_operations.h"
#include "fuzz_check.h"
#include "platform/text_codec.h"
#include "ucp/ucp_frame.h"

int tolvane::FuzzOne(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const EmiAlphabet alphabet =
      input.ConsumeIntegral<uint8_t>() & 1 ? EmiAlphabet::kIra : EmiAlphabet::kGsm;
  const std::string text = input.ConsumeRemainingBytesAsString();
  std::vector<std::string> fields(1);
  for (char c : text) {
    if (c == '/') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  const std::optional<UcpFrame> frame =
      ReadUcpFrame(SealUcpFrame(1, 'O', kOperationDeliver, fields));
  if (!frame) return 0;
  const std::optional<ReceivedPart> part = ReadDeliveredPart(*frame, alphabet);
  if (!part) return 0;
  CheckReceivedPart(*part);
  const std::string& scts = frame->fields[14];
  FUZZ_CHECK(part->centre_time == Cp1252ToUtf8(scts) ||
             (part->centre_time.size() == 19 && part->centre_time.starts_with("20")));
  if (part->encoding != "8bit") FUZZ_CHECK(Utf8Length(part->text) <= frame->fields[20].size());
  return 0;
}
