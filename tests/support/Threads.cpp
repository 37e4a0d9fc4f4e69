// GetSystemTimePreciseAsFileTime is Windows 8's; the tests run on Wine, which has it.
#define _WIN32_WINNT 0x0602
#include "Threads.h"

#include <algorithm>

#include <tlhelp32.h>

namespace {

ULONGLONG Join(const FILETIME& t)
{
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

} // namespace

std::vector<DWORD> ProcessThreadIds(DWORD process)
{
    std::vector<DWORD> ids;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == process)
            ids.push_back(entry.th32ThreadID);
    CloseHandle(snapshot);
    std::sort(ids.begin(), ids.end());
    return ids;
}

ULONGLONG ThreadCreationTime(DWORD id)
{
    const HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!thread)
        return 0;
    FILETIME created, exited, kernel, user;
    const BOOL ok = GetThreadTimes(thread, &created, &exited, &kernel, &user);
    CloseHandle(thread);
    return ok ? Join(created) : 0;
}

ULONGLONG PreciseSystemTime()
{
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return Join(now);
}
