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
// it and renames it over path. Durable, the bytes are forced to disk before the rename and the
// directory after it, as a file that replaces another must be.
inline bool WriteFileFloor(const std::string& path, size_t size, const std::vector<uint8_t>& block,
                           bool durable = false) {
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
    ok = (!durable || ::fsync(fd) == 0) && ok;
    ok = ::close(fd) == 0 && ok;
    ok = ::rename(name.c_str(), path.c_str()) == 0 && ok;
    if (durable) {
        const std::string directory = path.substr(0, path.find_last_of('/') + 1) + ".";
        const int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ok = dir >= 0 && ::fsync(dir) == 0 && ok;
        if (dir >= 0)
            ::close(dir);
    }
    return ok;
}
