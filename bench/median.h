#pragma once
// The median of a benchmark's timings: steadier than the mean on a shared machine, and unlike
// the best run it does not reward one lucky pass.
#include <algorithm>
#include <vector>

namespace qmbench {

inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace qmbench
