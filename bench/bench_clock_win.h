#pragma once
// Timing of the Windows benchmarks: a millisecond clock and the median of a run's rounds.
#include <windows.h>

#include <algorithm>
#include <vector>

namespace qmbench {

inline double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

}  // namespace qmbench
