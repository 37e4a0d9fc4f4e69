// The measurements of bench_mokacomm: each compares CCommLib on COM A of a null-modem pair with
// the same Win32 calls made by hand (RawPort, RawEventLoop) on the same port, the far end being a
// RawPort on COM B.
#ifndef MOKACOMM_BENCH_BENCH_H
#define MOKACOMM_BENCH_BENCH_H

#include <string>

#include "Mokacomm.h"
#include "RawEventLoop.h"
#include "RawPort.h"
#include "Stats.h"

struct BenchSetup {
    int comA;
    int comB;
    DCB settings; // what CCommLib::Open applied to COM A
    RawPort& peer;
};

// Library over raw: the medians of the rounds' rates.
struct ThroughputResult {
    Estimate send, receive;
};
// Library over raw: the median and the 99th percentile of the time from the peer's WriteFile of a
// byte to the entry of EventRx, or to the end of the raw WaitCommEvent.
struct LatencyResult {
    Estimate median, p99;
};
// Library minus raw, in percent of a core: the mean over the windows.
struct IdleResult {
    Estimate process;
    bool serverKnown;
    Estimate server;
};
// Milliseconds.
struct OpenCloseResult {
    Summary libraryOpen, libraryClose;
};

// Open COM com through the library, or check a RawPort; false with *error on failure.
bool OpenLibrary(CCommLib& library, int com, std::string* error);
bool RawOpened(const RawPort& raw, std::string* error);
// Whether a RawEventLoop started, or ended when stopped; false with *error when not.
bool LoopStarted(const RawEventLoop& loop, std::string* error);
bool LoopStopped(RawEventLoop& loop, std::string* error);

// Each prints its figures and returns false with *error when a measurement could not be made.
bool MeasureThroughput(const BenchSetup& setup, ThroughputResult* result, std::string* error);
bool MeasureLatency(const BenchSetup& setup, LatencyResult* result, std::string* error);
bool MeasureIdle(const BenchSetup& setup, IdleResult* result, std::string* error);
bool MeasureOpenClose(const BenchSetup& setup, OpenCloseResult* result, std::string* error);

#endif
