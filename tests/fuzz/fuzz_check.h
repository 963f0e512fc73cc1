#ifndef TOLVANE_TESTS_FUZZ_FUZZ_CHECK_H_
#define TOLVANE_TESTS_FUZZ_FUZZ_CHECK_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "sms/received_part.h"
#include "text/utf8.h"

// A broken promise of the code under fuzzing: report it and abort, so that
// libFuzzer keeps the input that showed it.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

namespace tolvane {

// The target's run on one input, which libFuzzer's entry point hands over
// (fuzz_entry.cpp). Returns 0.
int FuzzOne(const uint8_t* data, size_t size);

// What every decoded part promises the store: UTF-8 text and sender, a known
// encoding, and a linked part's place within its count (2 to 255) under a
// reference its size can hold.
inline void CheckReceivedPart(const ReceivedPart& part) {
  FUZZ_CHECK(IsValidUtf8(part.text) && IsValidUtf8(part.sender) && IsValidUtf8(part.centre_time));
  FUZZ_CHECK(part.encoding == "GSM" || part.encoding == "UCS2" || part.encoding == "8bit");
  if (const auto& link = part.link) {
    FUZZ_CHECK(link->reference_bits == 8 || link->reference_bits == 16);
    FUZZ_CHECK(link->reference >= 0 && link->reference < 1 << link->reference_bits);
    FUZZ_CHECK(link->total >= 2 && link->total <= 255);
    FUZZ_CHECK(link->index >= 1 && link->index <= link->total);
  }
}

}  // namespace tolvane

#endif  // TOLVANE_TESTS_FUZZ_FUZZ_CHECK_H_
