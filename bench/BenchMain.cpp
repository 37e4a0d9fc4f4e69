// bench_mokacomm [throughput] [latency] [idle] [open-close]
// Measures CCommLib on a null-modem pair against the Win32 calls that it wraps, made by hand on
// the same port, and prints the figures of each phase (all of them when none is named), then one
// line of ratios against the targets. Run it through scripts/bench.sh.
#include <cstdio>
#include <cstring>
#include <string>

#include "Bench.h"
#include "NullModem.h"

namespace {

constexpr double kThroughputTarget = 0.98; // at least this share of raw
constexpr double kLatencyTarget = 1.10;    // at most this multiple of raw
constexpr double kIdleTarget = 0.1;        // at most raw plus this many percent of a core
constexpr double kOpenLimitMs = 2000;      // the longest Open waits for its event thread
constexpr double kCloseLimitMs = 10000;    // the longest Close waits for it
// "Near" a limit: a tenth of it.
constexpr double kNear = 0.1;

// Met, missed by more than twice the noise of the rounds, or missed by less than that.
const char* Verdict(const Estimate& e, double target, bool atLeast)
{
    const double margin = atLeast ? e.value - target : target - e.value;
    if (margin >= 0)
        return "ok";
    return margin + 2 * e.error < 0 ? "MISSED" : "within noise";
}

// What CCommLib::Open applies to the port, so that the raw port gets the very same record.
bool LibrarySettings(int com, DCB* settings, std::string* error)
{
    CCommLib library;
    if (!OpenLibrary(library, com, error))
        return false;
    *settings = library.GetDCB();
    library.Close();
    return true;
}

struct Phases {
    bool throughput = false, latency = false, idle = false, openClose = false;
};

bool ParsePhases(int argc, char** argv, Phases* phases)
{
    if (argc < 2) {
        *phases = {true, true, true, true};
        return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "throughput"))
            phases->throughput = true;
        else if (!std::strcmp(argv[i], "latency"))
            phases->latency = true;
        else if (!std::strcmp(argv[i], "idle"))
            phases->idle = true;
        else if (!std::strcmp(argv[i], "open-close"))
            phases->openClose = true;
        else
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Phases run;
    if (!ParsePhases(argc, argv, &run)) {
        std::fprintf(stderr, "usage: bench_mokacomm [throughput] [latency] [idle] [open-close]\n");
        return 2;
    }
    NullModemPair pair;
    if (!pair.Ok()) {
        std::fprintf(stderr, "no null-modem pair: %s\n", pair.Error().c_str());
        return 1;
    }
    std::string error;
    DCB settings{};
    if (!LibrarySettings(pair.ComA(), &settings, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    RawPort peer(pair.ComB(), settings);
    if (!RawOpened(peer, &error)) {
        std::fprintf(stderr, "peer COM%d: %s\n", pair.ComB(), error.c_str());
        return 1;
    }
    const BenchSetup setup{pair.ComA(), pair.ComB(), settings, peer};
    std::printf("CCommLib on COM%d against raw Win32 calls on it; the peer on COM%d\n",
                setup.comA, setup.comB);
    std::fflush(stdout);

    ThroughputResult throughput{};
    LatencyResult latency{};
    IdleResult idle{};
    OpenCloseResult openClose{};
    const auto failed = [&](const char* phase) {
        std::fprintf(stderr, "%s: %s\n", phase, error.c_str());
        return 1;
    };
    if (run.throughput && !MeasureThroughput(setup, &throughput, &error))
        return failed("throughput");
    std::fflush(stdout);
    if (run.latency && !MeasureLatency(setup, &latency, &error))
        return failed("latency");
    std::fflush(stdout);
    if (run.idle && !MeasureIdle(setup, &idle, &error))
        return failed("idle");
    std::fflush(stdout);
    if (run.openClose && !MeasureOpenClose(setup, &openClose, &error))
        return failed("open-close");

    std::printf("ratios:");
    if (run.throughput) {
        std::printf(" send/raw %.3f+-%.3f %s, receive/raw %.3f+-%.3f %s;", throughput.send.value,
                    throughput.send.error, Verdict(throughput.send, kThroughputTarget, true),
                    throughput.receive.value, throughput.receive.error,
                    Verdict(throughput.receive, kThroughputTarget, true));
    }
    if (run.latency) {
        std::printf(" latency median/raw %.3f+-%.3f %s, p99/raw %.3f+-%.3f %s;",
                    latency.median.value, latency.median.error,
                    Verdict(latency.median, kLatencyTarget, false), latency.p99.value,
                    latency.p99.error, Verdict(latency.p99, kLatencyTarget, false));
    }
    if (run.idle) {
        std::printf(" idle CPU library-raw %+.3f+-%.3f %% of a core %s", idle.process.value,
                    idle.process.error, Verdict(idle.process, kIdleTarget, false));
        if (idle.serverKnown)
            std::printf(" (wine server %+.3f+-%.3f)", idle.server.value, idle.server.error);
        std::printf(";");
    }
    if (run.openClose) {
        const double open = openClose.libraryOpen.max / kOpenLimitMs;
        const double close = openClose.libraryClose.max / kCloseLimitMs;
        std::printf(" Open max/2 s %.3f %s, Close max/10 s %.4f %s", open,
                    open < kNear ? "ok" : "MISSED", close, close < kNear ? "ok" : "MISSED");
    }
    std::printf("\n");
    return 0;
}
