// What this process holds right now, for tests that must leave no trace behind.
#ifndef MOKACOMM_TESTS_PROCESS_STATS_H
#define MOKACOMM_TESTS_PROCESS_STATS_H

#include <string>

#include "engine/Win32.h"

struct ProcessStats {
    long handles = -1;          // kernel handles of this process; -1 when it cannot be counted
    long threads = -1;          // threads of this process
    long unixFds = -1;          // descriptors of the Wine process; -1 when it cannot be found
    unsigned long long privateBytes = 0; // committed private memory (PagefileUsage)
    unsigned long long workingSet = 0;

    static ProcessStats Now();
    std::string Describe() const;
};

// CPU time (user and kernel) this process has used so far, in milliseconds.
double ProcessCpuMs();

#endif
