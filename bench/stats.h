// Samples of one figure and the row of the results table that shows them.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

struct Summary {
    double median = 0;
    double min = 0;
    double max = 0;
};

inline Summary summarise(std::vector<double> samples)
{
    if (samples.empty())
        return {};
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return {median, samples.front(), samples.back()};
}

// Each program run divided by the baseline run taken right after it.
inline std::vector<double> pairRatios(const std::vector<double> &program, const std::vector<double> &baseline)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < std::min(program.size(), baseline.size()); ++i)
        ratios.push_back(baseline[i] > 0 ? program[i] / baseline[i] : 0);
    return ratios;
}

// "median (min-max) unit", with as many decimals as the size needs.
inline std::string show(const Summary &s, const char *unit)
{
    const auto number = [](double v) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, v >= 100 ? "%.0f" : v >= 10 ? "%.1f" : v >= 1 ? "%.2f" : "%.3f", v);
        return std::string(buffer);
    };
    return number(s.median) + " (" + number(s.min) + "-" + number(s.max) + ") " + unit;
}

inline std::string showRatio(const Summary &s)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2fx (%.2f-%.2f)", s.median, s.min, s.max);
    return buffer;
}

// One row of the results table, tab-separated: figure, program, baseline,
// ratio, goal, met. bench/run.sh lays the rows out.
inline void printRow(const std::string &figure, const std::string &program, const std::string &baseline,
                     const std::string &ratio, const std::string &goal, const std::string &met)
{
    std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", figure.c_str(), program.c_str(), baseline.c_str(), ratio.c_str(),
                goal.c_str(), met.c_str());
    std::fflush(stdout);
}

inline const char *met(bool yes) { return yes ? "yes" : "NO"; }

} // namespace bench
