#pragma once

// Wall-clock and CPU time together, in nanoseconds, for benchmarks that report both: the CPU
// time is the calling thread's (user and system), which a machine shared with other work
// disturbs less than the wall clock.

#include <time.h>

#include <chrono>

struct Clock {
    double wall = 0;
    double cpu = 0;
};

inline Clock Now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    const auto wall = std::chrono::steady_clock::now().time_since_epoch();
    return {double(std::chrono::duration_cast<std::chrono::nanoseconds>(wall).count()),
            double(t.tv_sec) * 1e9 + double(t.tv_nsec)};
}

// The time from start until now.
inline Clock Since(const Clock& start) {
    const Clock end = Now();
    return {end.wall - start.wall, end.cpu - start.cpu};
}

// Adds the time from start until now to total.
inline void Add(Clock& total, const Clock& start) {
    const Clock spent = Since(start);
    total.wall += spent.wall;
    total.cpu += spent.cpu;
}
