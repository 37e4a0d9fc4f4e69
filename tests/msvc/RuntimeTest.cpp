// The project's runtime, which this program shares with the DLL: what the compiler's output asks
// of it beside what the class's tests already use (new, exceptions, thread_local, the cookie).
#include "Check.h"
#include "Tests.h"

namespace {

volatile LONG made = 0;

struct Slow {
    Slow() : value(7)
    {
        // Long enough for the other thread to arrive while this one makes the object.
        Sleep(50);
        InterlockedIncrement(&made);
    }
    int value;
};

int Shared()
{
    static Slow slow;
    return slow.value;
}

DWORD WINAPI CallShared(LPVOID seen)
{
    *static_cast<int*>(seen) = Shared();
    return 0;
}

} // namespace

void TestRuntime()
{
    // A function's static object is made once, and a thread that comes while it is being made
    // waits for it.
    int seen[2] = {};
    HANDLE threads[2];
    for (int i = 0; i < 2; ++i)
        threads[i] = CreateThread(nullptr, 0, CallShared, &seen[i], 0, nullptr);
    if (!CHECK(threads[0] && threads[1]))
        return;
    CHECK_EQ(WaitForMultipleObjects(2, threads, TRUE, 5000), WAIT_OBJECT_0);
    CloseHandle(threads[0]);
    CloseHandle(threads[1]);
    CHECK_EQ(seen[0], 7);
    CHECK_EQ(seen[1], 7);
    CHECK_EQ(Shared(), 7);
    CHECK_EQ(made, 1);
}
