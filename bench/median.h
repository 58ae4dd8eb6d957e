#pragma once

// The median of a benchmark's figures, one per round: a round that the machine disturbed does
// not move it. 0 for no figures.

#include <algorithm>
#include <vector>

inline double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
