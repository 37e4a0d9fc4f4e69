// Open and Close of COM A through the library, cycle after cycle, and the same port opened and
// closed by hand for comparison: the library's part is its event thread's start and stop.
#include <cstdio>
#include <vector>

#include "Bench.h"
#include "Clock.h"

namespace {

constexpr int kCycles = 100;

} // namespace

bool MeasureOpenClose(const BenchSetup& setup, OpenCloseResult* result, std::string* error)
{
    std::vector<double> libraryOpen, libraryClose, rawOpen, rawClose;
    const auto port = static_cast<CCommLib::PORT>(setup.comA - 1);
    CCommLib library;
    for (int i = 0; i < kCycles; ++i) {
        const double t0 = NowMs();
        const CCommLib::ERR opened = library.Open(port);
        const double t1 = NowMs();
        const CCommLib::ERR closed = library.Close();
        const double t2 = NowMs();
        if (opened != CCommLib::ERR_OK || closed != CCommLib::ERR_OK) {
            *error = "cycle " + std::to_string(i) + ": Open returned " + std::to_string(opened) +
                     ", Close " + std::to_string(closed);
            return false;
        }
        libraryOpen.push_back(t1 - t0);
        libraryClose.push_back(t2 - t1);
    }
    for (int i = 0; i < kCycles; ++i) {
        double t1 = 0;
        const double t0 = NowMs();
        {
            RawPort raw(setup.comA, setup.settings);
            t1 = NowMs();
            if (!RawOpened(raw, error))
                return false;
        }
        rawOpen.push_back(t1 - t0);
        rawClose.push_back(NowMs() - t1);
    }
    *result = {Summarize(libraryOpen), Summarize(libraryClose)};
    std::printf("Open and Close, %d cycles\n", kCycles);
    PrintSummary("  library Open", "ms", result->libraryOpen);
    PrintSummary("  library Close", "ms", result->libraryClose);
    PrintSummary("  raw open (CreateFileA..)", "ms", Summarize(rawOpen));
    PrintSummary("  raw close (CloseHandle)", "ms", Summarize(rawClose));
    return true;
}
