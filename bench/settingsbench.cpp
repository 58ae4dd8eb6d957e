// Cost of loading a complete settings file (every one of the 600 keys present, as the show
// software writes it).
//
// Reported per load, measured in the same run (wall-clock time):
//   load_us          LoadSettings from the file: one read and parse, then 600 lookups in memory;
//   read_us          reading the same bytes into memory and nothing else (the floor);
//   per_key_us       600 GetPrivateProfileString calls, each reading and parsing the file again
//                    (what a loader built on the platform call alone would cost);
//   load_ratio       load_us / read_us;
//   per_key_ratio    per_key_us / load_us.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/profile.h"
#include "settings/settingkeys.h"
#include "settings/settings.h"

namespace {

using Clock = std::chrono::steady_clock;

double Microseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

struct Lookup {
    std::string section;
    std::string key;
    std::string defaultText;
};

void BM_LoadCompleteSettingsFile(benchmark::State& state) {
    char dir[] = "/tmp/settingsbench-XXXXXX";
    if (::mkdtemp(dir) == nullptr) {
        state.SkipWithError("no temporary directory");
        return;
    }
    const std::string path = std::string(dir) + "/Tarvexa.ini";
    std::vector<Lookup> lookups;
    {
        std::ofstream out(path, std::ios::binary);
        ForEachSettingSection([&](const auto& section) {
            out << "[" << section.name << "]\r\n";
            for (const auto& key : section.keys) {
                out << key.key << "=" << key.defaultText << "\r\n";
                lookups.push_back({section.name, key.key, key.defaultText});
            }
        });
    }

    static TSettings record;
    double loadUs = 0, readUs = 0, perKeyUs = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        {
            std::ifstream in(path, std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), {});
            benchmark::DoNotOptimize(bytes.data());
        }
        const auto t1 = Clock::now();
        LoadSettings(record, path);
        benchmark::DoNotOptimize(&record);
        const auto t2 = Clock::now();
        char buffer[kSettingTextSize];
        for (const Lookup& l : lookups) {
            GetPrivateProfileString(l.section.c_str(), l.key.c_str(), l.defaultText.c_str(), buffer,
                                    sizeof buffer, path);
            benchmark::DoNotOptimize(buffer);
        }
        const auto t3 = Clock::now();
        readUs += Microseconds(t0, t1);
        loadUs += Microseconds(t1, t2);
        perKeyUs += Microseconds(t2, t3);
    }
    const double runs = double(state.iterations());
    state.counters["load_us"] = loadUs / runs;
    state.counters["read_us"] = readUs / runs;
    state.counters["per_key_us"] = perKeyUs / runs;
    state.counters["load_ratio"] = loadUs / readUs;
    state.counters["per_key_ratio"] = perKeyUs / loadUs;
    state.counters["file_bytes"] = double(std::filesystem::file_size(path));

    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

} // namespace

BENCHMARK(BM_LoadCompleteSettingsFile)->Unit(benchmark::kMillisecond)->Iterations(20);

BENCHMARK_MAIN();
