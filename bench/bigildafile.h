#pragma once

// The large ILDA file the benchmarks load: 2,000 format-0 frames of 2,000 points each and a
// closing section, 32,064,032 bytes. The points jump across the whole coordinate range (long
// lines), every 50th is blanked and the colour indices run through 0-63.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/ilda/ildabuilder.h"

constexpr int kBigIldaFrames = 2000;
constexpr int kBigIldaPoints = 2000;
constexpr off_t kBigIldaFileSize = off_t(kBigIldaFrames) * (32 + 8 * kBigIldaPoints) + 32;

// Writes the file at path, unless a file of its size is already there. The bytes go to a
// partial file renamed into place, so an interrupted run leaves no short file behind. False
// when the file cannot be written.
[[nodiscard]] inline bool MakeBigIldaFile(const char* path) {
    struct stat info {};
    if (::stat(path, &info) == 0 && info.st_size == kBigIldaFileSize)
        return true;
    IldaBuilder b;
    for (int f = 0; f < kBigIldaFrames; ++f) {
        b.Header(0, kBigIldaPoints, uint16_t(f), kBigIldaFrames);
        for (int p = 0; p < kBigIldaPoints; ++p) {
            const int i = f * kBigIldaPoints + p;
            b.Point3D(int16_t((i * 7) % 65536 - 32768), int16_t((i * 13) % 65536 - 32768),
                      int16_t((i % 256) * 16), uint16_t((p % 50 == 0 ? 0x4000 : 0) | (i % 64)));
        }
    }
    b.End(kBigIldaFrames);
    const std::string partial = std::string(path) + ".partial";
    FILE* out = std::fopen(partial.c_str(), "wb");
    if (out == nullptr)
        return false;
    const bool written = std::fwrite(b.Data().data(), 1, b.Size(), out) == b.Size();
    return std::fclose(out) == 0 && written && std::rename(partial.c_str(), path) == 0;
}
