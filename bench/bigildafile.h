#pragma once

// The large ILDA file the benchmarks load: 2,000 format-0 frames of 2,000 points each and a
// closing section, 32,064,032 bytes. The points jump across the whole coordinate range (long
// lines), every 50th is blanked and the colour indices run through 0-63.
//
// Its true-colour twin holds the same points (x, y and blanking; format 5 carries no z) in
// format 5, each with a random colour, so nearly every point has a colour of its own. With
// 8-byte records it has the same size.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/ilda/ildabuilder.h"

constexpr int kBigIldaFrames = 2000;
constexpr int kBigIldaPoints = 2000;
constexpr off_t kBigIldaFileSize = off_t(kBigIldaFrames) * (32 + 8 * kBigIldaPoints) + 32;

namespace bigilda {

// Point i of frame f, p = its place in the frame.
inline int16_t X(int i) {
    return int16_t((i * 7) % 65536 - 32768);
}
inline int16_t Y(int i) {
    return int16_t((i * 13) % 65536 - 32768);
}
inline bool Blanked(int p) {
    return p % 50 == 0;
}

// Writes the bytes to a partial file renamed into place at path, so an interrupted run leaves
// no short file behind.
inline bool Write(const char* path, const IldaBuilder& b) {
    const std::string partial = std::string(path) + ".partial";
    FILE* out = std::fopen(partial.c_str(), "wb");
    if (out == nullptr)
        return false;
    const bool written = std::fwrite(b.Data().data(), 1, b.Size(), out) == b.Size();
    return std::fclose(out) == 0 && written && std::rename(partial.c_str(), path) == 0;
}

inline bool Present(const char* path) {
    struct stat info {};
    return ::stat(path, &info) == 0 && info.st_size == kBigIldaFileSize;
}

} // namespace bigilda

// Writes the file at path, unless a file of its size is already there. False when the file
// cannot be written.
[[nodiscard]] inline bool MakeBigIldaFile(const char* path) {
    if (bigilda::Present(path))
        return true;
    IldaBuilder b;
    for (int f = 0; f < kBigIldaFrames; ++f) {
        b.Header(0, kBigIldaPoints, uint16_t(f), kBigIldaFrames);
        for (int p = 0; p < kBigIldaPoints; ++p) {
            const int i = f * kBigIldaPoints + p;
            b.Point3D(bigilda::X(i), bigilda::Y(i), int16_t((i % 256) * 16),
                      uint16_t((bigilda::Blanked(p) ? 0x4000 : 0) | (i % 64)));
        }
    }
    b.End(kBigIldaFrames);
    return bigilda::Write(path, b);
}

// The true-colour twin, likewise.
[[nodiscard]] inline bool MakeBigTrueColourIldaFile(const char* path) {
    if (bigilda::Present(path))
        return true;
    IldaBuilder b;
    uint32_t state = 0x2545F491; // xorshift32: the same colours on every run
    for (int f = 0; f < kBigIldaFrames; ++f) {
        b.Header(5, kBigIldaPoints, uint16_t(f), kBigIldaFrames);
        for (int p = 0; p < kBigIldaPoints; ++p) {
            const int i = f * kBigIldaPoints + p;
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            b.Point2DTrueColour(bigilda::X(i), bigilda::Y(i), bigilda::Blanked(p) ? 0x40 : 0,
                                uint8_t(state), uint8_t(state >> 8), uint8_t(state >> 16));
        }
    }
    b.Header(5, 0, kBigIldaFrames, kBigIldaFrames, "END");
    return bigilda::Write(path, b);
}
