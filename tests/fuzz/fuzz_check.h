#ifndef TOLVANE_TESTS_FUZZ_FUZZ_CHECK_H_
#define TOLVANE_TESTS_FUZZ_FUZZ_CHECK_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tolvane {

// The target's run on one input, which libFuzzer's entry point hands over
// (fuzz_entry.cpp). Returns 0.
int FuzzOne(const uint8_t* data, size_t size);

}  // namespace tolvane

// A broken promise of the code under fuzzing: report it and abort, so that
// libFuzzer keeps the input that showed it.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

#endif  // TOLVANE_TESTS_FUZZ_FUZZ_CHECK_H_
