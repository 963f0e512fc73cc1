#include "sms/gsm7_packing.h"

#include <algorithm>

namespace tolvane {

size_t PackedOctetCount(size_t count, int fill_bits) {
  return (static_cast<size_t>(fill_bits) + count * 7 + 7) / 8;
}

std::string PackSeptets(std::string_view septets, int fill_bits) {
  std::string octets(PackedOctetCount(septets.size(), fill_bits), '\0');
  size_t bit = static_cast<size_t>(fill_bits);
  for (char septet : septets) {
    const unsigned value = static_cast<unsigned char>(septet) & 0x7F;
    const size_t octet = bit / 8;
    const unsigned shift = bit % 8;
    octets[octet] = static_cast<char>(static_cast<unsigned char>(octets[octet]) | (value << shift));
    if (shift > 1) octets[octet + 1] = static_cast<char>(value >> (8 - shift));
    bit += 7;
  }
  return octets;
}

std::string UnpackSeptets(std::string_view octets, size_t count, int fill_bits) {
  std::string septets;
  const size_t available =
      (octets.size() * 8 - std::min(octets.size() * 8, static_cast<size_t>(fill_bits))) / 7;
  septets.reserve(std::min(count, available));
  size_t bit = static_cast<size_t>(fill_bits);
  for (size_t i = 0; i < count && i < available; ++i, bit += 7) {
    const size_t octet = bit / 8;
    const unsigned shift = bit % 8;
    unsigned value = static_cast<unsigned char>(octets[octet]) >> shift;
    if (shift > 1)
      value |= static_cast<unsigned>(static_cast<unsigned char>(octets[octet + 1])) << (8 - shift);
    septets += static_cast<char>(value & 0x7F);
  }
  return septets;
}

}  // namespace tolvane
