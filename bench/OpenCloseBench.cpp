// Opens and closes a null-modem port 100 times through CCommLib and prints how long each took.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Clock.h"
#include "Mokacomm.h"
#include "NullModem.h"
#include "Stats.h"

int main(int argc, char** argv)
{
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 100;
    NullModemPair pair;
    if (!pair.Ok()) {
        std::fprintf(stderr, "no null-modem pair: %s\n", pair.Error().c_str());
        return 1;
    }
    const auto port = static_cast<CCommLib::PORT>(pair.ComA() - 1);
    CCommLib object;
    std::vector<double> opens, closes;
    for (int i = 0; i < cycles; ++i) {
        double t0 = NowMs();
        const CCommLib::ERR opened = object.Open(port);
        double t1 = NowMs();
        const CCommLib::ERR closed = object.Close();
        double t2 = NowMs();
        if (opened != CCommLib::ERR_OK || closed != CCommLib::ERR_OK) {
            std::fprintf(stderr, "cycle %d: Open %d, Close %d\n", i, opened, closed);
            return 1;
        }
        opens.push_back(t1 - t0);
        closes.push_back(t2 - t1);
    }
    std::printf("Open/Close on COM%d, %d cycles\n", pair.ComA(), cycles);
    PrintSummary("Open", "ms", Summarize(opens));
    PrintSummary("Close", "ms", Summarize(closes));
    return 0;
}
