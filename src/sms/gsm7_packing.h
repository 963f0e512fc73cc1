#ifndef TOLVANE_SMS_GSM7_PACKING_H_
#define TOLVANE_SMS_GSM7_PACKING_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tolvane {

// Septets packed eight into seven octets, the first septet in the lowest bits
// of the first octet. `fill_bits` (0 to 6) zero bits come first, so that
// septets behind a user-data header start on a septet boundary of the whole
// user data. The unused high bits of the last octet are zero.
std::string PackSeptets(std::string_view septets, int fill_bits = 0);

// The first `count` septets of packed octets, behind `fill_bits` zero bits;
// fewer when the octets end first.
std::string UnpackSeptets(std::string_view octets, size_t count, int fill_bits = 0);

// The number of octets that `count` septets behind `fill_bits` bits take.
size_t PackedOctetCount(size_t count, int fill_bits = 0);

}  // namespace tolvane

#endif  // TOLVANE_SMS_GSM7_PACKING_H_
