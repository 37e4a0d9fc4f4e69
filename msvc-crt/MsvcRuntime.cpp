// What the compiler's output needs from a C runtime in the Microsoft-ABI build, which has no
// Visual C++ runtime to link: the heap behind new and delete, the exception classes' members,
// the type_info vftable, stack cookies, the start-up and shut-down of static objects, implicit
// thread-local storage, thread-safe statics and the load configuration. msvcrt.dll supplies the
// rest (__CxxFrameHandler3, _CxxThrowException, the C functions). Every binary of the build links
// this file, a DLL with its entry point MsvcDllEntry.cpp, programs with theirs, MsvcExeEntry.cpp
// or MsvcWinEntry.cpp. The exception classes are declared in the library's src/base/Runtime.h.
//
// This file defines atexit, which Wine's stdlib.h declares as msvcrt.dll's import: a definition
// of a dllimport function would be exported instead.
#define _ACRTIMP

#include "MsvcRuntime.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include "base/Runtime.h"
#include "base/SrwGuard.h"
#include "base/Win32.h"

// ---- The heap. msvcrt.dll's operator new returns null where C++ wants std::bad_alloc.

namespace {

void* Allocate(size_t size) noexcept
{
    return HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1);
}

void Free(void* block) noexcept
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

} // namespace

void* operator new(size_t size)
{
    void* block = Allocate(size);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, size_t) noexcept { Free(block); }
void operator delete[](void* block, size_t) noexcept { Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Free(block); }

const std::nothrow_t std::nothrow{};

// ---- std::exception. An object that owns its text frees it with the heap that made it; a host
// that catches by reference only calls what() through this module's vftable.

std::exception::exception(const char* message) noexcept : text(nullptr), ownsText(false)
{
    Keep(message, true);
}

std::exception::exception(const exception& other) noexcept : text(nullptr), ownsText(false)
{
    Keep(other.text, other.ownsText);
}

std::exception& std::exception::operator=(const exception& other) noexcept
{
    if (this != &other) {
        if (ownsText)
            Free(const_cast<char*>(text));
        text = nullptr;
        ownsText = false;
        Keep(other.text, other.ownsText);
    }
    return *this;
}

std::exception::~exception() noexcept
{
    if (ownsText)
        Free(const_cast<char*>(text));
}

const char* std::exception::what() const { return text ? text : "Unknown exception"; }

void std::exception::Keep(const char* message, bool copy) noexcept
{
    if (!copy || !message) {
        text = message;
        return;
    }
    // Without memory for the copy the object has no text, as with Visual C++.
    const size_t size = strlen(message) + 1;
    if (auto* owned = static_cast<char*>(Allocate(size))) {
        memcpy(owned, message, size);
        text = owned;
        ownsText = true;
    }
}

// ---- RTTI. Every type descriptor, those of thrown types included, points at type_info's
// vftable. Its one slot, the deleting destructor, is never called: type descriptors are static.

namespace {

[[noreturn]] void TypeInfoDeleted() { abort(); }

} // namespace

extern const void* const typeInfoVftable[1] __asm__("??_7type_info@@6B@");
const void* const typeInfoVftable[1] = {reinterpret_cast<const void*>(&TypeInfoDeleted)};

// The linker's sign that floating point is used; the value is the one Visual C++ uses.
extern "C" int _fltused = 0x9875;

// Called where an exception would leave a noexcept function; Visual C++'s terminate() aborts.
extern "C" [[noreturn]] void __std_terminate() { abort(); }

// ---- Stack cookies (/GS). The loader may set the cookie through the load configuration; when it
// still has its initial value, it is made here, before any protected function runs.

namespace {

#if defined(_M_IX86)
const UINT_PTR kInitialCookie = 0xBB40E64E;
#else
const UINT_PTR kInitialCookie = 0x00002B992DDFA232;
#endif

} // namespace

extern "C" UINT_PTR __security_cookie = kInitialCookie;

extern "C" [[noreturn]] void __cdecl __report_gsfailure(UINT_PTR)
{
    if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE))
        __fastfail(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE);
    // Windows 7 has no fast-fail: there int 0x29 is an access violation, which a host's handler
    // could swallow. Ending the process raises nothing to handle, with fast-fail's exit code.
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    // It does not return when it ends the calling process.
    __builtin_unreachable();
}

extern "C" void __fastcall __security_check_cookie(UINT_PTR cookie)
{
    if (cookie != __security_cookie)
        __report_gsfailure(cookie);
}

namespace {

// Unprotected itself: a cookie check at its end would see the new cookie.
__attribute__((no_stack_protector)) void InitSecurityCookie()
{
    if (__security_cookie != kInitialCookie)
        return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    UINT_PTR cookie = static_cast<UINT_PTR>(counter.QuadPart);
    cookie ^= now.dwLowDateTime ^ (static_cast<UINT_PTR>(now.dwHighDateTime) << 8);
    cookie ^= GetCurrentProcessId() ^ (static_cast<UINT_PTR>(GetCurrentThreadId()) << 16);
    cookie ^= reinterpret_cast<UINT_PTR>(&cookie);
#if defined(_M_X64)
    // The top 16 bits stay clear, as Visual C++ keeps them.
    cookie &= 0x0000FFFFFFFFFFFF;
#endif
    if (cookie == kInitialCookie || cookie == 0)
        cookie = kInitialCookie + 1;
    __security_cookie = cookie;
}

} // namespace

// ---- Static objects. The compiler puts the initialisers of each file in .CRT$XCU, between the
// two markers below, and registers destructors with atexit from there.

namespace {

using Callback = void(__cdecl*)();

#pragma section(".CRT$XCA", long, read)
#pragma section(".CRT$XCZ", long, read)
__declspec(allocate(".CRT$XCA")) const Callback firstInitialiser = nullptr;
__declspec(allocate(".CRT$XCZ")) const Callback lastInitialiser = nullptr;

struct ExitCall {
    ExitCall* next;
    Callback call;
};
SRWLOCK exitLock = SRWLOCK_INIT;
// The last registered first; under exitLock.
ExitCall* exitCalls = nullptr;

// Takes the call registered last, or null when none is left.
ExitCall* TakeExitCall()
{
    SrwGuard lock(exitLock);
    ExitCall* entry = exitCalls;
    if (entry)
        exitCalls = entry->next;
    return entry;
}

} // namespace

// The module's own list, run when the module ends; msvcrt.dll's atexit would run it when the
// process ends, after this module is gone.
extern "C" int __cdecl atexit(Callback call)
{
    auto* entry = static_cast<ExitCall*>(Allocate(sizeof(ExitCall)));
    if (!entry)
        return -1;
    entry->call = call;
    SrwGuard lock(exitLock);
    entry->next = exitCalls;
    exitCalls = entry;
    return 0;
}

__attribute__((no_stack_protector)) void MsvcRuntimeStart()
{
    InitSecurityCookie();
    for (const Callback* initialiser = &firstInitialiser + 1; initialiser < &lastInitialiser;
         ++initialiser) {
        if (*initialiser)
            (*initialiser)();
    }
}

// One call at a time, outside the lock: a function that an exit function registers (a static
// object that a destructor makes) is run next.
void MsvcRuntimeStop()
{
    while (ExitCall* entry = TakeExitCall()) {
        entry->call();
        Free(entry);
    }
}

// ---- Implicit thread-local storage (thread_local): the loader gives each thread a copy of the
// .tls section and finds it through _tls_used.

extern "C" {
ULONG _tls_index = 0;
}

#pragma section(".tls", long, read, write)
#pragma section(".tls$ZZZ", long, read, write)
#pragma section(".CRT$XLA", long, read)
#pragma section(".CRT$XLZ", long, read)
extern "C" {
__declspec(allocate(".tls")) char _tls_start = 0;
__declspec(allocate(".tls$ZZZ")) char _tls_end = 0;
// The thread callbacks: none, only the terminating null.
__declspec(allocate(".CRT$XLA")) PIMAGE_TLS_CALLBACK __xl_a = nullptr;
__declspec(allocate(".CRT$XLZ")) PIMAGE_TLS_CALLBACK __xl_z = nullptr;
}

extern "C" const IMAGE_TLS_DIRECTORY _tls_used = {
    reinterpret_cast<ULONG_PTR>(&_tls_start), reinterpret_cast<ULONG_PTR>(&_tls_end),
    reinterpret_cast<ULONG_PTR>(&_tls_index), reinterpret_cast<ULONG_PTR>(&__xl_a + 1), 0, 0};

#if defined(_M_IX86)
// The offset of the thread-local storage array in the thread environment block, which i686 code
// reads through fs.
__asm__(".globl __tls_array\n.set __tls_array, 0x2C");
#endif

// ---- Thread-safe statics: a function's static object is made once, however many threads get
// there first. The guard is 0 before, -1 while one thread makes it, and afterwards the value of
// the epoch counter then; a thread whose own epoch is at least that skips the lock.

namespace {

const int kStaticNotMade = 0;
const int kStaticBeingMade = -1;
SRWLOCK staticsLock = SRWLOCK_INIT;
CONDITION_VARIABLE staticMade = CONDITION_VARIABLE_INIT;

} // namespace

extern "C" {
int _Init_global_epoch = INT_MIN;
__declspec(thread) int _Init_thread_epoch = INT_MIN;

void __cdecl _Init_thread_header(int* guard) noexcept
{
    SrwGuard lock(staticsLock);
    while (*guard == kStaticBeingMade)
        lock.Wait(staticMade, INFINITE);
    if (*guard == kStaticNotMade)
        *guard = kStaticBeingMade; // the caller makes it
    else
        _Init_thread_epoch = _Init_global_epoch;
}

void __cdecl _Init_thread_footer(int* guard) noexcept
{
    {
        SrwGuard lock(staticsLock);
        *guard = ++_Init_global_epoch;
        _Init_thread_epoch = _Init_global_epoch;
    }
    WakeAllConditionVariable(&staticMade);
}

// The constructor threw: the next thread to arrive tries again.
void __cdecl _Init_thread_abort(int* guard) noexcept
{
    {
        SrwGuard lock(staticsLock);
        *guard = kStaticNotMade;
    }
    WakeAllConditionVariable(&staticMade);
}
}

// ---- The load configuration: the cookie's address, and on i686 the table of the exception
// handlers that lld-link collects (SafeSEH); without it the image would be marked as having none.

#if defined(_M_IX86)
extern "C" PVOID __safe_se_handler_table[];
extern "C" BYTE __safe_se_handler_count; // its address is the count

extern "C" const IMAGE_LOAD_CONFIG_DIRECTORY32 _load_config_used = {
    sizeof(IMAGE_LOAD_CONFIG_DIRECTORY32), 0, 0, 0, 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 0, 0, 0,
    nullptr, reinterpret_cast<DWORD>(&__security_cookie),
    reinterpret_cast<DWORD>(__safe_se_handler_table),
    reinterpret_cast<DWORD>(&__safe_se_handler_count)};
#else
extern "C" const IMAGE_LOAD_CONFIG_DIRECTORY64 _load_config_used = {
    sizeof(IMAGE_LOAD_CONFIG_DIRECTORY64), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    reinterpret_cast<ULONGLONG>(&__security_cookie), 0, 0};
#endif
