#pragma once
// Timing of the Windows benchmarks: a millisecond clock; the median of a run's rounds comes with it.
#include <windows.h>

#include "bench/median.h"

namespace qmbench {

inline double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

}  // namespace qmbench
