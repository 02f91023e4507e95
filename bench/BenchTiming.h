// Timing helpers of the window benchmarks: the rounds asked for, time since
// a point, a settled (repainted) window, and the median of a few rounds
// against a goal.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QCoreApplication>
#include <QWidget>

using Clock = std::chrono::steady_clock;

// The rounds given as argument at of the command line (at least one), or
// fallback when there is none.
inline int Rounds(int argc, char* argv[], int fallback, int at = 1)
{
    return argc > at ? std::max(1, std::atoi(argv[at])) : fallback;
}

inline double Milliseconds(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

inline double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Lets the window handle what is pending and paint itself.
inline void Settle(QWidget& window)
{
    QCoreApplication::processEvents();
    window.repaint();
    QCoreApplication::processEvents();
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One line: the median and the best of the rounds, and the goal when there
// is one (goalMs > 0).
inline void Report(const char* what, const std::vector<double>& ms, double goalMs)
{
    const double median = Median(ms);
    std::printf("%-62s median %8.2f ms  best %8.2f ms", what, median, *std::min_element(ms.begin(), ms.end()));
    if (goalMs > 0)
        std::printf("  (goal < %.0f ms) %s", goalMs, median < goalMs ? "ok" : "SLOW");
    std::printf("\n");
}
