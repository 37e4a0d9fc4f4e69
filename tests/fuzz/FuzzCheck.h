// The properties a fuzzer checks: a broken one aborts, which libFuzzer reports as a finding and
// saves the input for.
#ifndef MOKACOMM_FUZZ_CHECK_H
#define MOKACOMM_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__,          \
                         #condition);                                                          \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

#endif
