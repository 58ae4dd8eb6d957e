#pragma once

// Wall-clock and CPU time together, in nanoseconds, for benchmarks that report both: the CPU
// time is the calling thread's (user and system), which a machine shared with other work
// disturbs less than the wall clock; or, with CLOCK_PROCESS_CPUTIME_ID, every thread's, for
// code that hands work to helper threads.

#include <time.h>

#include <chrono>

struct Clock {
    double wall = 0;
    double cpu = 0;
};

inline Clock Now(clockid_t cpuClock = CLOCK_THREAD_CPUTIME_ID) {
    timespec t{};
    clock_gettime(cpuClock, &t);
    const auto wall = std::chrono::steady_clock::now().time_since_epoch();
    return {double(std::chrono::duration_cast<std::chrono::nanoseconds>(wall).count()),
            double(t.tv_sec) * 1e9 + double(t.tv_nsec)};
}

// The time from start until now.
inline Clock Since(const Clock& start, clockid_t cpuClock = CLOCK_THREAD_CPUTIME_ID) {
    const Clock end = Now(cpuClock);
    return {end.wall - start.wall, end.cpu - start.cpu};
}

// Adds the time from start until now to total.
inline void Add(Clock& total, const Clock& start) {
    const Clock spent = Since(start);
    total.wall += spent.wall;
    total.cpu += spent.cpu;
}
