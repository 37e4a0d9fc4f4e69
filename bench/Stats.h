// Order statistics of a benchmark's samples.
#ifndef MOKACOMM_BENCH_STATS_H
#define MOKACOMM_BENCH_STATS_H

#include <algorithm>
#include <cmath>
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

// A figure of the library against the raw calls, and the standard error of the same figure taken
// round by round: how far the machine's noise alone moves it.
struct Estimate {
    double value;
    double error;
};

inline double StandardError(const std::vector<double>& values)
{
    const double n = static_cast<double>(values.size());
    if (values.size() < 2)
        return 0;
    double mean = 0;
    for (double v : values)
        mean += v / n;
    double squares = 0;
    for (double v : values)
        squares += (v - mean) * (v - mean);
    return std::sqrt(squares / (n - 1) / n);
}

inline void PrintSummary(const char* name, const char* unit, const Summary& s)
{
    std::printf("%-28s median %9.3f %s   p99 %9.3f %s   max %9.3f %s\n", name, s.median, unit,
                s.p99, unit, s.max, unit);
}

#endif
