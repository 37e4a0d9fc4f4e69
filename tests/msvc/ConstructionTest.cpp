// The constructor is the one member whose failure leaves the library as an exception. Its causes
// are made in the real DLL by pointing its imports at failing functions for a while.
#include <string.h>

#include "Check.h"
#include "ImportPatch.h"
#include "Tests.h"
#include "base/Runtime.h"

#include "Mokacomm.h"

namespace {

HANDLE WINAPI RefusedEvent(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR)
{
    SetLastError(ERROR_NO_SYSTEM_RESOURCES);
    return nullptr;
}

LPVOID WINAPI NoMemory(HANDLE, DWORD, SIZE_T) { return nullptr; }

enum Caught { kNothing, kBadAlloc, kRuntimeError, kException, kAnything };

// The handler that takes the failure when each type is caught by itself.
Caught ByExactType()
{
    try {
        CCommLib object;
    } catch (const std::bad_alloc&) {
        return kBadAlloc;
    } catch (const std::runtime_error&) {
        return kRuntimeError;
    }
    return kNothing;
}

Caught AsException(char (&what)[128])
{
    what[0] = '\0';
    try {
        CCommLib object;
    } catch (const std::exception& failure) {
        lstrcpynA(what, failure.what(), sizeof what);
        return kException;
    }
    return kNothing;
}

Caught AsAnything()
{
    try {
        CCommLib object;
    } catch (...) {
        return kAnything;
    }
    return kNothing;
}

// Copies of the failure made in its catch clause, by the copy constructor and by assignment,
// outlive the object that the DLL threw and freed: each must have a text of its own.
void CheckCopiesOwnTheirText()
{
    char thrownText[128] = "";
    const char* thrownStorage = nullptr;
    std::runtime_error* copied = nullptr;
    std::runtime_error assigned("before the failure");
    try {
        CCommLib object;
    } catch (const std::runtime_error& failure) {
        thrownStorage = failure.what();
        lstrcpynA(thrownText, thrownStorage, sizeof thrownText);
        copied = new std::runtime_error(failure);
        assigned = failure;
    }
    if (!CHECK(copied != nullptr))
        return;
    CHECK(strstr(thrownText, "CreateEventA") != nullptr);
    CHECK(copied->what() != thrownStorage);
    CHECK(assigned.what() != thrownStorage);
    CHECK_EQ(strcmp(copied->what(), thrownText), 0);
    CHECK_EQ(strcmp(assigned.what(), thrownText), 0);
    delete copied;
}

} // namespace

void TestConstructionFailures()
{
    const HMODULE library = GetModuleHandleA("Mokacomm.dll");
    char what[128];
    {
        ImportPatch events(library, "kernel32.dll", "CreateEventA",
                           reinterpret_cast<void*>(&RefusedEvent));
        if (!CHECK(events.Ok()))
            return;
        CHECK_EQ(ByExactType(), kRuntimeError);
        CHECK_EQ(AsException(what), kException);
        CHECK(strstr(what, "CreateEventA") != nullptr);
        CHECK_EQ(AsAnything(), kAnything);
        CheckCopiesOwnTheirText();
    }
    {
        ImportPatch heap(library, "kernel32.dll", "HeapAlloc", reinterpret_cast<void*>(&NoMemory));
        if (!CHECK(heap.Ok()))
            return;
        CHECK_EQ(ByExactType(), kBadAlloc);
        CHECK_EQ(AsException(what), kException);
        CHECK_EQ(strcmp(what, "bad allocation"), 0);
        CHECK_EQ(AsAnything(), kAnything);
    }
    CHECK_EQ(ByExactType(), kNothing);
}
