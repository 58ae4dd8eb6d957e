#pragma once

// ILDA files as other programs write them, made in code: the frames each file truly holds, and
// its bytes with one writer's habit (last-point bits inside sections, frames numbered from 1,
// totals that do not add up, a frame numbered 0 of 0, closing sections of another format, stray
// bytes). The reader, the preview, the conversion and trellion-cli must all give exactly the
// true frames.

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/ilda/ildabuilder.h"

namespace wildilda {

struct Point {
    int16_t x = 0;
    int16_t y = 0;
    int16_t z = 0;
    bool blank = false;
    uint8_t colour = 0; // index into palette 1; a true-colour file stores that entry's colour
};
using Frame = std::vector<Point>;

// Frame f of n points: a path around the centre reached with the beam off, each frame of its
// own size, turn and colour (an index below 56, which palette 1 holds only once). 2D formats
// hold no depth.
inline Frame MakeFrame(int f, int n, bool depth) {
    Frame points;
    const double radius = 9000.0 + 3000.0 * (f % 6);
    for (int k = 0; k < n; ++k) {
        const double a = 0.7 * f + 2.0 * M_PI * k / (n > 1 ? n - 1 : 1);
        points.push_back({static_cast<int16_t>(std::lround(radius * std::cos(a))),
                          static_cast<int16_t>(std::lround(radius * std::sin(a))),
                          static_cast<int16_t>(depth ? 16 * (f + k % 3) : 0), k == 0,
                          static_cast<uint8_t>((8 + 7 * f) % 56)});
    }
    return points;
}

inline std::vector<Frame> MakeFrames(const std::vector<int>& sizes, bool depth, int first = 0) {
    std::vector<Frame> frames;
    for (size_t f = 0; f < sizes.size(); ++f)
        frames.push_back(MakeFrame(first + static_cast<int>(f), sizes[f], depth));
    return frames;
}

// How a writer lays frames down.
struct Habit {
    int format = 0; // 0, 1, 4 or 5
    // Frame number and total frames of section f of n; the standard's by default.
    std::function<std::pair<uint16_t, uint16_t>(int f, int n)> number = [](int f, int n) {
        return std::pair<uint16_t, uint16_t>(static_cast<uint16_t>(f), static_cast<uint16_t>(n));
    };
    // Whether record k of the n of frame f carries the last-point bit; the standard's by default.
    std::function<bool(int f, int k, int n)> lastBit = [](int, int k, int n) { return k == n - 1; };
    int closingFormat = 0; // -1: no closing section
    uint16_t closingNumber = 0;
    uint16_t closingTotal = 0;
    std::string between;  // bytes after every frame section
    std::string trailing; // bytes after everything
};

// Palette 1's colours, as the true-colour formats store them (red, green, blue).
inline void AppendRecord(IldaBuilder& b, int format, const Point& p, bool last,
                         uint32_t colourBgr) {
    const auto red = static_cast<uint8_t>(colourBgr);
    const auto green = static_cast<uint8_t>(colourBgr >> 8);
    const auto blue = static_cast<uint8_t>(colourBgr >> 16);
    const uint16_t status =
        static_cast<uint16_t>((p.blank ? 0x4000 : 0) | (last ? 0x8000 : 0) | p.colour);
    const auto statusByte = static_cast<uint8_t>((p.blank ? 0x40 : 0) | (last ? 0x80 : 0));
    switch (format) {
    case 0:
        b.Point3D(p.x, p.y, p.z, status);
        break;
    case 1:
        b.Point2D(p.x, p.y, status);
        break;
    case 4:
        b.Point3DTrueColour(p.x, p.y, p.z, statusByte, red, green, blue);
        break;
    default:
        b.Point2DTrueColour(p.x, p.y, statusByte, red, green, blue);
        break;
    }
}

// The bytes of `frames` written with `habit`; `colourOf` gives palette 1's colour of an index
// (0x00BBGGRR) for the true-colour formats.
inline std::vector<uint8_t> Write(const std::vector<Frame>& frames, const Habit& habit,
                                  const std::function<uint32_t(int index)>& colourOf) {
    IldaBuilder b;
    const int n = static_cast<int>(frames.size());
    for (int f = 0; f < n; ++f) {
        const Frame& points = frames[static_cast<size_t>(f)];
        const auto [number, total] = habit.number(f, n);
        b.Header(habit.format, static_cast<uint16_t>(points.size()), number, total);
        const int count = static_cast<int>(points.size());
        for (int k = 0; k < count; ++k) {
            const Point& p = points[static_cast<size_t>(k)];
            AppendRecord(b, habit.format, p, habit.lastBit(f, k, count),
                         p.blank ? 0u : colourOf(p.colour));
        }
        b.Bytes(habit.between);
    }
    if (habit.closingFormat >= 0)
        b.Header(habit.closingFormat, 0, habit.closingNumber, habit.closingTotal, "END");
    b.Bytes(habit.trailing);
    return b.Data();
}

struct File {
    std::string name; // also usable as a file name
    std::vector<uint8_t> bytes;
    std::vector<Frame> frames; // what the file truly holds
};

// One file of each kind; `colourOf` as for Write.
inline std::vector<File> Files(const std::function<uint32_t(int index)>& colourOf) {
    std::vector<File> files;
    const auto add = [&](std::string name, std::vector<Frame> frames, const Habit& habit) {
        std::vector<uint8_t> bytes = Write(frames, habit, colourOf);
        files.push_back({std::move(name), std::move(bytes), std::move(frames)});
    };
    {
        // A font library: two glyphs, the bit at the end of every stroke.
        Habit h;
        h.lastBit = [](int f, int k, int n) { return k == n - 1 || k == (f == 0 ? 4 : 2); };
        h.closingNumber = h.closingTotal = 2;
        add("font strokes", MakeFrames({12, 9}, true), h);
    }
    {
        // A drawing program: one true-colour picture, the bit at the end of every path.
        Habit h;
        h.format = 5;
        h.lastBit = [](int, int k, int n) { return k == n - 1 || k % 6 == 5; };
        h.closingFormat = 5;
        h.closingNumber = h.closingTotal = 1;
        add("drawing paths", MakeFrames({40}, false), h);
    }
    {
        Habit h;
        h.number = [](int f, int n) {
            return std::pair<uint16_t, uint16_t>(static_cast<uint16_t>(f + 1),
                                                 static_cast<uint16_t>(n));
        };
        h.closingNumber = h.closingTotal = 4;
        add("numbered from 1", MakeFrames({5, 6, 7, 8}, true), h);
    }
    {
        Habit h;
        h.number = [](int f, int) {
            return std::pair<uint16_t, uint16_t>(static_cast<uint16_t>(f), 1);
        };
        h.closingTotal = 1;
        add("total says 1", MakeFrames({4, 5, 6, 7, 8}, true), h);
    }
    {
        // Totals 2, 2, 3, 3, 4, 4: the second frame says total - 1.
        Habit h;
        h.format = 1;
        h.number = [](int f, int) {
            return std::pair<uint16_t, uint16_t>(static_cast<uint16_t>(f),
                                                 static_cast<uint16_t>(2 + f / 2));
        };
        h.closingFormat = 1;
        add("totals that disagree", MakeFrames({6, 5, 4, 6, 5, 4}, false), h);
    }
    {
        // A single picture numbered 0 of 0 before its closing section.
        Habit h;
        h.number = [](int, int) { return std::pair<uint16_t, uint16_t>(0, 0); };
        add("frame 0 of 0", MakeFrames({9}, true), h);
    }
    {
        Habit h;
        h.number = [](int f, int) {
            return std::pair<uint16_t, uint16_t>(static_cast<uint16_t>(f), 10);
        };
        h.closingNumber = 3;
        h.closingTotal = 10;
        add("numbers short of the total", MakeFrames({5, 6, 7}, true), h);
    }
    {
        Habit h;
        h.format = 5;
        h.closingFormat = 0;
        h.closingNumber = h.closingTotal = 3;
        add("format-0 closing after format 5", MakeFrames({6, 7, 8}, false), h);
    }
    {
        Habit h;
        h.closingFormat = 1;
        h.closingNumber = h.closingTotal = 2;
        h.trailing = std::string("\r\n\0\0 saved by a tool\n", 21);
        add("format-1 closing and stray bytes", MakeFrames({6, 7}, true), h);
    }
    {
        // Two sequences, each closed, stray bytes between them.
        Habit first;
        first.closingNumber = first.closingTotal = 2;
        first.trailing = "\n\n";
        Habit second;
        second.format = 4;
        second.closingFormat = 4;
        second.closingNumber = second.closingTotal = 2;
        std::vector<Frame> frames = MakeFrames({5, 6}, true);
        const std::vector<Frame> later = MakeFrames({7, 8}, true, 2);
        std::vector<uint8_t> bytes = Write(frames, first, colourOf);
        const std::vector<uint8_t> more = Write(later, second, colourOf);
        bytes.insert(bytes.end(), more.begin(), more.end());
        frames.insert(frames.end(), later.begin(), later.end());
        files.push_back({"two sequences", std::move(bytes), std::move(frames)});
    }
    {
        // A writer that ends every section with a line break, as a text-mode copy leaves it.
        Habit h;
        h.format = 1;
        h.between = "\r\n";
        h.closingFormat = 1;
        h.closingNumber = h.closingTotal = 3;
        add("line breaks between frames", MakeFrames({5, 8, 6}, false), h);
    }
    return files;
}

// Files of frames of more points than a section's 16-bit count holds, written by a writer that
// stores the count modulo 65,536 (the count field of each such frame says 3 and 4,464): the
// reader, the preview and the conversion must give every point, though no file written again
// can hold such a frame.
inline std::vector<File> OverflowFiles(const std::function<uint32_t(int index)>& colourOf) {
    std::vector<File> files;
    const auto add = [&](std::string name, std::vector<Frame> frames, const Habit& habit) {
        std::vector<uint8_t> bytes = Write(frames, habit, colourOf);
        files.push_back({std::move(name), std::move(bytes), std::move(frames)});
    };
    {
        Habit h;
        h.closingNumber = h.closingTotal = 3;
        add("count overflowed", MakeFrames({5, 65536 + 3, 4}, true), h);
    }
    {
        // The overflowed frame is the last, and no closing section follows it.
        Habit h;
        h.format = 1;
        h.closingFormat = -1;
        add("count overflowed in the last frame", MakeFrames({6, 70000}, false), h);
    }
    return files;
}

// The same frames as a well-formed format-0 file (numbered from 0, closed), for pictures to
// compare with.
inline std::vector<uint8_t> StandardFile(const std::vector<Frame>& frames) {
    return Write(frames, Habit{}, [](int) { return 0u; });
}

} // namespace wildilda
