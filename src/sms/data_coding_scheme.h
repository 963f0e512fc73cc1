#ifndef TOLVANE_SMS_DATA_CODING_SCHEME_H_
#define TOLVANE_SMS_DATA_CODING_SCHEME_H_

#include <cstdint>

namespace tolvane {

// What a data coding scheme of 3GPP TS 23.038 says of a received message.
struct DataCodingScheme {
  enum class Alphabet { kGsm, kEightBit, kUcs2 };
  Alphabet alphabet = Alphabet::kGsm;
  // Message class 0, which a phone shows at once.
  bool flash = false;
};

// The general and automatic-deletion groups name the alphabet in bits 3-2
// (the reserved 11 counts as GSM) and a class in bits 1-0 when bit 4 is set;
// the message-waiting groups hold GSM (C0-DF) or UCS-2 (E0-EF) text; the
// class group (F0-FF) GSM text or, with bit 2, 8-bit data. The reserved
// groups 80-BF count as GSM, as the standard asks.
DataCodingScheme ReadDataCodingScheme(uint8_t dcs);

}  // namespace tolvane

#endif  // TOLVANE_SMS_DATA_CODING_SCHEME_H_
