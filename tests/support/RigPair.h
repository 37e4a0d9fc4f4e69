// A null-modem pair of the rig (tests/support/nullmodem), made and driven through nullmodemctl
// as the mingw-w64 tests' client does, in plain Win32: for the test hosts without a C++ standard
// library (tests/msvc, tests/chost).
#ifndef MOKACOMM_TESTS_RIG_PAIR_H
#define MOKACOMM_TESTS_RIG_PAIR_H

#include "base/Win32.h"

class RigPair {
public:
    RigPair();
    RigPair(const RigPair&) = delete;
    RigPair& operator=(const RigPair&) = delete;
    ~RigPair();

    bool Ok() const { return comA != 0; }
    // What went wrong, for the failure message.
    const char* Error() const { return error; }
    int ComA() const { return comA; }
    int ComB() const { return comB; }
    // A framing error at COM A.
    bool InjectFramingError();

private:
    // Runs nullmodemctl with `arguments` and waits up to 5 s for its answer, "ok[ RESULT]".
    bool Run(const char* arguments, char* result, DWORD resultSize);

    int comA = 0;
    int comB = 0;
    char error[512] = "";
};

#endif
