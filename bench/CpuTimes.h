// CPU time used so far by this process (GetProcessTimes) and, when the run names its Linux
// process id in MOKACOMM_BENCH_SERVER_PID (scripts/bench.sh does), by the wine server, which
// does part of every Win32 call's work under Wine.
#ifndef MOKACOMM_BENCH_CPU_TIMES_H
#define MOKACOMM_BENCH_CPU_TIMES_H

#include <map>

#include "base/Win32.h"

struct CpuTimes {
    double processMs;
    double serverMs;
    bool serverKnown;

    static CpuTimes Now();
    // Adds the time of another span; the server's stays known only if it is in both.
    CpuTimes& operator+=(const CpuTimes& other);
    // The time used from `start` until now.
    static CpuTimes Since(const CpuTimes& start);
};

// The CPU time used so far by each thread of this process, in ms by thread id.
std::map<DWORD, double> ThreadCpuMs();

#endif
