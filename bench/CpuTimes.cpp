#include "CpuTimes.h"

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "base/Handles.h"

#include <tlhelp32.h>

namespace {

// Linux reports process times in USER_HZ ticks, 100 a second on every x86 kernel. Under Wine,
// GetProcessTimes has the same 10 ms grain: it reads them too.
constexpr double kMsPerTick = 10.0;

double FileTimeMs(const FILETIME& t)
{
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                               t.dwLowDateTime) /
           10000.0;
}

double ProcessCpuMs()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    return FileTimeMs(kernel) + FileTimeMs(user);
}

double ThreadMs(DWORD id)
{
    const KernelHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, id));
    FILETIME created, exited, kernel, user;
    if (!thread || !GetThreadTimes(thread.Get(), &created, &exited, &kernel, &user))
        return 0;
    return FileTimeMs(kernel) + FileTimeMs(user);
}

const std::string& ServerStatPath()
{
    static const std::string path = [] {
        const char* pid = std::getenv("MOKACOMM_BENCH_SERVER_PID");
        return pid && *pid ? std::string("Z:\\proc\\") + pid + "\\stat" : std::string();
    }();
    return path;
}

// utime + stime of the server; false when its stat cannot be read.
bool ServerCpuMs(double* ms)
{
    if (ServerStatPath().empty())
        return false;
    FileHandle stat(CreateFileA(ServerStatPath().c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
    if (!stat)
        return false;
    char text[1024];
    DWORD got = 0;
    if (!ReadFile(stat.Get(), text, sizeof text - 1, &got, nullptr))
        return false;
    text[got] = '\0';
    // The fields after the command name in parentheses: the state is the 3rd, utime the 14th.
    const char* rest = std::strrchr(text, ')');
    if (!rest)
        return false;
    std::istringstream fields(rest + 1);
    std::string skipped;
    for (int field = 3; field < 14; ++field)
        fields >> skipped;
    unsigned long long user = 0, system = 0;
    if (!(fields >> user >> system))
        return false;
    *ms = static_cast<double>(user + system) * kMsPerTick;
    return true;
}

} // namespace

CpuTimes CpuTimes::Now()
{
    CpuTimes t{ProcessCpuMs(), 0, false};
    t.serverKnown = ServerCpuMs(&t.serverMs);
    return t;
}

CpuTimes& CpuTimes::operator+=(const CpuTimes& other)
{
    processMs += other.processMs;
    serverMs += other.serverMs;
    serverKnown = serverKnown && other.serverKnown;
    return *this;
}

CpuTimes CpuTimes::Since(const CpuTimes& start)
{
    const CpuTimes now = Now();
    return {now.processMs - start.processMs, now.serverMs - start.serverMs,
            now.serverKnown && start.serverKnown};
}

std::map<DWORD, double> ThreadCpuMs()
{
    std::map<DWORD, double> times;
    const FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    if (!snapshot || !Thread32First(snapshot.Get(), &entry))
        return times;
    const DWORD self = GetCurrentProcessId();
    do {
        if (entry.th32OwnerProcessID == self)
            times[entry.th32ThreadID] = ThreadMs(entry.th32ThreadID);
    } while (Thread32Next(snapshot.Get(), &entry));
    return times;
}
