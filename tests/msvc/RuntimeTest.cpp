// The project's runtime, which this program shares with the DLL: what the compiler's output asks
// of it beside what the class's tests already use (new, exceptions, thread_local, the cookie).
// How it ends a process is seen from outside, in a copy of this program started with a role.
#include <string.h>

#include "Check.h"
#include "Format.h"
#include "ImportPatch.h"
#include "Tests.h"
#include "base/Handles.h"

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

// ---- The copy that overruns a buffer, with the handlers a host may install.

const char kOverrunRole[] = "overrun";
// A copy's exit codes when it does not end as it should.
const int kUnknownRole = 2;
const int kNoImport = 3;
const int kSurvived = 4;
const UINT kHandlerRan = 5;

// Windows 7 has no fast-fail.
BOOL WINAPI WithoutFastFail(DWORD) { return FALSE; }

// A host's handlers that would swallow an access violation, Windows 7's form of int 0x29. These
// end the process with their own code, which tells the parent that they were reached.
LONG CALLBACK VectoredHandler(EXCEPTION_POINTERS*)
{
    TerminateProcess(GetCurrentProcess(), kHandlerRan);
    return EXCEPTION_CONTINUE_EXECUTION;
}

LONG WINAPI UnhandledFilter(EXCEPTION_POINTERS*)
{
    TerminateProcess(GetCurrentProcess(), kHandlerRan);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Twice the buffer, past the cookie that follows it; read at run time, so that the compiler
// cannot see the overrun coming.
volatile size_t overrunLength = 32;

// Its buffer makes it check the stack cookie (/GS) before it returns.
__declspec(noinline) void Overrun()
{
    volatile char buffer[16];
    for (size_t i = 0; i < overrunLength; ++i)
        buffer[i] = 'x';
}

int OverrunWithoutFastFail()
{
    // The runtime of this program is the DLL's, linked here: its import is this program's.
    ImportPatch fastFail(GetModuleHandleA(nullptr), "kernel32.dll", "IsProcessorFeaturePresent",
                         reinterpret_cast<void*>(&WithoutFastFail));
    if (!fastFail.Ok())
        return kNoImport;
    AddVectoredExceptionHandler(1, VectoredHandler);
    SetUnhandledExceptionFilter(UnhandledFilter);
    Overrun();
    return kSurvived;
}

// ---- The copy whose exit functions register another: a static object's destructor that makes
// a function's static object, whose destructor the runtime registers then.

const char kExitListRole[] = "exit-list";
const int kExitListNotRun = 6;

// The destructors run so far, one digit each in the order they ran.
int exitSteps = 0;
const int kEarlyThenLate = 12;

struct Late {
    ~Late() { exitSteps = exitSteps * 10 + 2; }
};

struct Early {
    ~Early()
    {
        exitSteps = exitSteps * 10 + 1;
        static Late late;
    }
};

// Made first, so destroyed last: ends the process with the order the others ran in.
struct Reporter {
    ~Reporter() { ExitProcess(static_cast<UINT>(exitSteps)); }
};

int RegisterExitFunctions()
{
    static Reporter reporter;
    static Early early;
    return kExitListNotRun;
}

// ---- The parent's side.

const DWORD kCopyWaitMs = 30000;
// What stops a debugged process before it runs: the loader's breakpoint, and for a 32-bit process
// on 64-bit Windows also WOW64's (STATUS_WX86_BREAKPOINT).
const DWORD kWow64Breakpoint = 0x4000001F;

struct CopyEnd {
    bool ended;
    DWORD exitCode;
    // Those the copy raised, when it ran under this program as its debugger.
    int exceptions;
};

// Follows a copy started for debugging until it ends; false when it did not end in time.
bool Debug(ULONGLONG deadline, CopyEnd& end)
{
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        DEBUG_EVENT event;
        if (now >= deadline || !WaitForDebugEvent(&event, static_cast<DWORD>(deadline - now)))
            return false;
        DWORD continuation = DBG_CONTINUE;
        if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
            KernelHandle image(event.u.CreateProcessInfo.hFile);
        } else if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT) {
            KernelHandle image(event.u.LoadDll.hFile);
        } else if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT) {
            const DWORD code = event.u.Exception.ExceptionRecord.ExceptionCode;
            if (code != EXCEPTION_BREAKPOINT && code != kWow64Breakpoint) {
                printf("the copy raised exception %08lX (%s chance)\n", code,
                       event.u.Exception.dwFirstChance ? "first" : "second");
                ++end.exceptions;
                // Its own handlers get it, as without a debugger.
                continuation = DBG_EXCEPTION_NOT_HANDLED;
            }
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continuation);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT)
            return true;
    }
}

// Starts this program again in `role` and waits for it to end, as its debugger if `debugged`.
CopyEnd RunCopy(const char* role, bool debugged)
{
    CopyEnd end = {false, 0, 0};
    char program[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program)
        return end;
    char command[MAX_PATH + 32];
    Format(command, "\"%s\" %s", program, role);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(program, command, nullptr, nullptr, FALSE,
                        debugged ? DEBUG_ONLY_THIS_PROCESS : 0, nullptr, nullptr, &startup,
                        &started)) {
        const DWORD error = GetLastError();
        printf("cannot start %s: error %lu\n", command, error);
        return end;
    }
    KernelHandle process(started.hProcess);
    KernelHandle thread(started.hThread);
    const ULONGLONG deadline = GetTickCount64() + kCopyWaitMs;
    const bool followed = !debugged || Debug(deadline, end);
    const ULONGLONG now = GetTickCount64();
    if (!followed || now >= deadline ||
        WaitForSingleObject(process.Get(), static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0) {
        printf("%s: the copy did not end within %lu ms\n", role, kCopyWaitMs);
        TerminateProcess(process.Get(), 1);
        return end;
    }
    end.ended = GetExitCodeProcess(process.Get(), &end.exitCode) != FALSE;
    return end;
}

} // namespace

int RunRuntimeRole(const char* role)
{
    if (strcmp(role, kOverrunRole) == 0)
        return OverrunWithoutFastFail();
    if (strcmp(role, kExitListRole) == 0)
        return RegisterExitFunctions();
    printf("no role %s\n", role);
    return kUnknownRole;
}

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

    // Without fast-fail, a failed cookie check ends the process with the code that fast-fail
    // gives, and raises nothing that a handler could take: neither the copy's own handlers nor its
    // debugger see an exception.
    const bool underDebugger[] = {false, true};
    for (const bool debugged : underDebugger) {
        const CopyEnd end = RunCopy(kOverrunRole, debugged);
        CHECK(end.ended);
        CHECK_EQ(end.exitCode, STATUS_STACK_BUFFER_OVERRUN);
        CHECK_EQ(end.exceptions, 0);
    }

    // A function registered while the exit list runs is run too, before those registered
    // earlier.
    const CopyEnd exitList = RunCopy(kExitListRole, false);
    CHECK(exitList.ended);
    CHECK_EQ(exitList.exitCode, kEarlyThenLate);
}
