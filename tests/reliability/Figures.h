// Figures that the reliability tests measure and report (not assert), and their settings.
#ifndef MOKACOMM_TESTS_FIGURES_H
#define MOKACOMM_TESTS_FIGURES_H

#include <string>
#include <vector>

#include "Clock.h"

// A whole number from the environment, or `fallback` when it is unset or not a number.
long EnvNumber(const char* name, long fallback);

// Prints "[ figure   ] name: value" and records it as a property of the running test.
void Figure(const std::string& name, const std::string& value);
void Figure(const std::string& name, double value, const char* unit);

struct Spread {
    double min = 0, median = 0, p99 = 0, max = 0;
    explicit Spread(std::vector<double> samples);
    std::string Describe(const char* unit) const;
};

#endif
