#include "sms/data_coding_scheme.h"

namespace tolvane {

DataCodingScheme ReadDataCodingScheme(uint8_t dcs) {
  using Alphabet = DataCodingScheme::Alphabet;
  if (dcs < 0x80) {
    const int bits = (dcs >> 2) & 0x03;
    return {bits == 1   ? Alphabet::kEightBit
            : bits == 2 ? Alphabet::kUcs2
                        : Alphabet::kGsm,
            (dcs & 0x10) != 0 && (dcs & 0x03) == 0};
  }
  if ((dcs & 0xF0) == 0xF0) {
    return {dcs & 0x04 ? Alphabet::kEightBit : Alphabet::kGsm, (dcs & 0x03) == 0};
  }
  if ((dcs & 0xF0) == 0xE0) return {Alphabet::kUcs2};
  return {Alphabet::kGsm};
}

}  // namespace tolvane
