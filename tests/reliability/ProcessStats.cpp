#include "ProcessStats.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include <psapi.h>

#include "Threads.h"

namespace {

// Wine 8 answers GetProcessHandleCount with TRUE and a count of 0. The system's handle table
// (SystemExtendedHandleInformation, class 64) is filled in from the wine server, so it is used on
// Windows and Wine alike.
struct HandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG attributes;
    ULONG reserved;
};

struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
constexpr ULONG kExtendedHandleInformation = 64;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

long CountHandles()
{
    const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return -1;
    std::vector<char> buffer(1 << 16);
    LONG status;
    ULONG needed = 0;
    while ((status = query(kExtendedHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), &needed)) == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return -1;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    const ULONG_PTR self = GetCurrentProcessId();
    long mine = 0;
    for (ULONG_PTR i = 0; i < table->count; ++i)
        mine += table->entries[i].processId == self;
    return mine;
}

using QueryThreadInformation = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);
constexpr ULONG kThreadStartAddress = 9; // ThreadQuerySetWin32StartAddress

// Where a thread began, as the name of the module that holds its start address.
std::string StartModule(DWORD id)
{
    const auto query = reinterpret_cast<QueryThreadInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    const HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, id);
    if (!query || !thread)
        return "ended";
    void* start = nullptr;
    const LONG status = query(thread, kThreadStartAddress, &start, sizeof start, nullptr);
    CloseHandle(thread);
    HMODULE module = nullptr;
    char name[MAX_PATH];
    if (status != 0 ||
        !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(start), &module) ||
        GetModuleFileNameA(module, name, sizeof name) == 0)
        return "unknown start";
    const std::string path = name;
    return path.substr(path.find_last_of('\\') + 1);
}

std::string ReadWhole(const std::string& path)
{
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

// Wine maps drive Z: to the Unix root, but it opens files in its server, so Z:\proc\self is the
// server. This process is the /proc entry that bears this program's name (the kernel keeps its
// first 15 characters) and whose environment holds this run's MOKACOMM_RIG_SESSION (set by
// tests/support/wine-run). Its command line alone would not do: the shell of wine-run and Wine's
// start.exe carry the program's path too. 0 when there is no such entry.
long FindUnixPid()
{
    const char* session = std::getenv("MOKACOMM_RIG_SESSION");
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    if (!session || length == 0 || length == sizeof module)
        return 0;
    std::string program(module, length);
    const std::string comm = program.substr(program.find_last_of("\\/") + 1, 15) + '\n';
    const std::string tag = std::string("MOKACOMM_RIG_SESSION=") + session + '\0';

    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    long found = 0;
    do {
        const std::string pid = entry.cFileName;
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string folder = "Z:\\proc\\" + pid + "\\";
        if (ReadWhole(folder + "comm") == comm &&
            ReadWhole(folder + "environ").find(tag) != std::string::npos)
            found = std::stol(pid);
    } while (!found && FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

long CountUnixFds()
{
    static const long pid = FindUnixPid();
    if (pid == 0)
        return -1;
    WIN32_FIND_DATAA entry;
    const std::string pattern = "Z:\\proc\\" + std::to_string(pid) + "\\fd\\*";
    const HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    long count = 0;
    do {
        if (entry.cFileName[0] != '.')
            ++count;
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return count;
}

} // namespace

ProcessStats ProcessStats::Now()
{
    ProcessStats s;
    s.handles = CountHandles();
    s.threadIds = ProcessThreadIds();
    s.unixFds = CountUnixFds();
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) {
        s.privateBytes = memory.PagefileUsage;
        s.workingSet = memory.WorkingSetSize;
    }
    return s;
}

ProcessStats ProcessStats::Settled(const ProcessStats& earlier, DWORD limitMs)
{
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        ProcessStats s = Now();
        if (std::includes(earlier.threadIds.begin(), earlier.threadIds.end(), s.threadIds.begin(),
                          s.threadIds.end()) ||
            GetTickCount64() >= end)
            return s;
        Sleep(10);
    }
}

std::string ProcessStats::Describe() const
{
    char text[200];
    std::snprintf(text, sizeof text,
                  "handles %ld, threads %ld, unix fds %ld, private %llu KiB, working set %llu KiB",
                  handles, static_cast<long>(threadIds.size()), unixFds, privateBytes / 1024,
                  workingSet / 1024);
    return text;
}

std::vector<std::string> ThreadsBornSince(const ProcessStats& earlier, const ProcessStats& now)
{
    std::vector<DWORD> born;
    std::set_difference(now.threadIds.begin(), now.threadIds.end(), earlier.threadIds.begin(),
                        earlier.threadIds.end(), std::back_inserter(born));
    std::vector<std::string> described;
    for (DWORD id : born)
        described.push_back(std::to_string(id) + " (" + StartModule(id) + ")");
    return described;
}

double ProcessCpuMs()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    auto ms = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}
