// Making one entry of the engine's kernel32 table fail, for tests at the seam.
#ifndef MOKACOMM_TESTS_PLATFORM_FAKES_H
#define MOKACOMM_TESTS_PLATFORM_FAKES_H

#include "engine/PlatformCalls.h"

namespace fakes {

template <class T>
struct MemberType;
template <class C, class T>
struct MemberType<T C::*> {
    using type = T;
};

template <auto Entry, class F = typename MemberType<decltype(Entry)>::type>
struct FailingCall;

template <auto Entry, class R, class... A>
struct FailingCall<Entry, R(WINAPI*)(A...)> {
    static inline DWORD error = 0;
    static inline R result{};
    static R WINAPI Call(A...)
    {
        ::SetLastError(error);
        return result;
    }
};

// Makes calls.*Entry return `result` with `error` as the thread's last error.
template <auto Entry, class R>
void MakeFail(PlatformCalls& calls, DWORD error, R result)
{
    using Fake = FailingCall<Entry>;
    Fake::error = error;
    Fake::result = result;
    calls.*Entry = &Fake::Call;
}

} // namespace fakes

#endif
