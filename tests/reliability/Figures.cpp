#include "Figures.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

long EnvNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' ? value : fallback;
}

void Figure(const std::string& name, const std::string& value)
{
    std::printf("[ figure   ] %s: %s\n", name.c_str(), value.c_str());
    std::fflush(stdout);
    ::testing::Test::RecordProperty(name, value);
}

void Figure(const std::string& name, double value, const char* unit)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f %s", value, unit);
    Figure(name, std::string(text));
}

Spread::Spread(std::vector<double> samples)
{
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    auto at = [&](double q) { return samples[static_cast<size_t>(q * (samples.size() - 1))]; };
    min = samples.front();
    median = at(0.5);
    p99 = at(0.99);
    max = samples.back();
}

std::string Spread::Describe(const char* unit) const
{
    char text[160];
    std::snprintf(text, sizeof text, "min %.1f, median %.1f, p99 %.1f, max %.1f %s", min, median,
                  p99, max, unit);
    return text;
}
