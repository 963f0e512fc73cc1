#ifndef TOLVANE_TESTS_FUZZ_FUZZ_CHECK_H_
#define TOLVANE_TESTS_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

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
