// The log sizes both status-log benchmarks measure at, and how they report.
#pragma once

#include <cstdio>

constexpr int kLogSizes[] = {1000, 10000, 100000, 200000};
// Lines appended one at a time, each its own batch, at each size.
constexpr int kMeasured = 200;

// Prints the cost per line at each size and its ratio to the cost at the first size.
template <typename CostAt>
void PrintCosts(const char* front, const char* what, CostAt costAt) {
    double first = 0;
    for (int lines : kLogSizes) {
        const double cost = costAt(lines);
        first = first > 0 ? first : cost;
        std::printf("%s status log at %6d lines: %9.1f us per line %s (%.2fx the cost at %d)\n", front, lines,
                    cost, what, cost / first, kLogSizes[0]);
        std::fflush(stdout);
    }
}
