// What this process holds right now, for tests that must leave no trace behind.
#ifndef MOKACOMM_TESTS_PROCESS_STATS_H
#define MOKACOMM_TESTS_PROCESS_STATS_H

#include <string>
#include <vector>

#include "base/Win32.h"

struct ProcessStats {
    long handles = -1;          // kernel handles of this process; -1 when it cannot be counted
    std::vector<DWORD> threadIds; // ids of this process's threads, ascending
    long unixFds = -1;          // descriptors of the Wine process; -1 when it cannot be found
    unsigned long long privateBytes = 0; // committed private memory (PagefileUsage)
    unsigned long long workingSet = 0;

    static ProcessStats Now();
    // Now, once the threads born since earlier have ended, or after limitMs. Wine ends the helper
    // thread of an aborted WaitCommEvent on its own, a little after the wait has returned.
    static ProcessStats Settled(const ProcessStats& earlier, DWORD limitMs);
    std::string Describe() const;
};

// The threads of now that earlier did not have, each as its id and the module it started in.
std::vector<std::string> ThreadsBornSince(const ProcessStats& earlier, const ProcessStats& now);

// CPU time (user and kernel) this process has used so far, in milliseconds.
double ProcessCpuMs();

#endif
