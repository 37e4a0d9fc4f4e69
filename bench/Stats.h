// Order statistics of a benchmark's samples.
#ifndef MOKACOMM_BENCH_STATS_H
#define MOKACOMM_BENCH_STATS_H

#include <algorithm>
#include <cstdio>
#include <vector>

struct Summary {
    double median;
    double p99;
    double max;
};

inline Summary Summarize(std::vector<double> samples)
{
    if (samples.empty())
        return {0, 0, 0};
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) {
        const size_t i = static_cast<size_t>(q * static_cast<double>(samples.size() - 1) + 0.5);
        return samples[i];
    };
    return {at(0.5), at(0.99), samples.back()};
}

inline void PrintSummary(const char* name, const char* unit, const Summary& s)
{
    std::printf("%-28s median %9.3f %s   p99 %9.3f %s   max %9.3f %s\n", name, s.median, unit,
                s.p99, unit, s.max, unit);
}

#endif
