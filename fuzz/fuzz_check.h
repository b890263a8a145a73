// The check of the fuzz targets: a failed property aborts with a message,
// which libFuzzer reports as a crash and the corpus replay as a failed test.
#ifndef VANTRI_FUZZ_FUZZ_CHECK_H_
#define VANTRI_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                               \
  do {                                                                      \
    if (!(condition)) {                                                     \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                   #condition);                                             \
      std::abort();                                                         \
    }                                                                       \
  } while (false)

// For checking code that walks large outputs: left out of libFuzzer's
// coverage and comparison tracing, which would slow it tenfold and teach
// the fuzzer nothing.
#if defined(__clang__)
#define FUZZ_NO_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define FUZZ_NO_COVERAGE
#endif

#endif  // VANTRI_FUZZ_FUZZ_CHECK_H_
