#pragma once

// The bare I/O a conversion cannot do without, as the benchmarks' floors: reading a whole file
// and writing a file of a given size the way the atomic output file does, with nothing to parse
// or format.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

// Reads the file at path, `size` bytes, with one read call into freshly allocated memory.
inline bool ReadFileFloor(const char* path, size_t size) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[size]);
    const ssize_t got = ::read(fd, buffer.get(), size);
    ::close(fd);
    benchmark::DoNotOptimize(buffer.get());
    benchmark::ClobberMemory();
    return got == ssize_t(size);
}

// Creates a temporary file beside path, writes `size` bytes to it in blocks of `block`, closes
// it and renames it over path.
inline bool WriteFileFloor(const std::string& path, size_t size,
                           const std::vector<uint8_t>& block) {
    std::string name = path + ".XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = true;
    for (size_t done = 0; done < size && ok;) {
        const size_t n = std::min(block.size(), size - done);
        ok = ::write(fd, block.data(), n) == ssize_t(n);
        done += n;
    }
    ok = ::close(fd) == 0 && ok;
    return ::rename(name.c_str(), path.c_str()) == 0 && ok;
}
