#pragma once

// The figures of a benchmark that times the same work with and without a mechanism in every
// round, the two taking turns at going first: each side's wall-clock and CPU times and each
// round's ratio without / with, all reported as medians over the rounds.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/benchclock.h"
#include "bench/median.h"

struct PairedRounds {
    std::vector<double> withWall, withoutWall, withCpu, withoutCpu, ratioWall, ratioCpu;

    void Add(const Clock& with, const Clock& without) {
        withWall.push_back(with.wall);
        withoutWall.push_back(without.wall);
        withCpu.push_back(with.cpu);
        withoutCpu.push_back(without.cpu);
        ratioWall.push_back(without.wall / with.wall);
        ratioCpu.push_back(without.cpu / with.cpu);
    }

    // Counters <with>_ms, <without>_ms, <without>_over_<with> and the same with _cpu.
    void Report(benchmark::State& state, const std::string& with,
                const std::string& without) const {
        const std::string ratio = without + "_over_" + with;
        state.counters[with + "_ms"] = Median(withWall) / 1e6;
        state.counters[without + "_ms"] = Median(withoutWall) / 1e6;
        state.counters[ratio] = Median(ratioWall);
        state.counters[with + "_cpu_ms"] = Median(withCpu) / 1e6;
        state.counters[without + "_cpu_ms"] = Median(withoutCpu) / 1e6;
        state.counters[ratio + "_cpu"] = Median(ratioCpu);
    }

    [[nodiscard]] double LowestRatio() const {
        return ratioWall.empty() ? 0 : *std::min_element(ratioWall.begin(), ratioWall.end());
    }
    [[nodiscard]] double HighestRatio() const {
        return ratioWall.empty() ? 0 : *std::max_element(ratioWall.begin(), ratioWall.end());
    }
};
