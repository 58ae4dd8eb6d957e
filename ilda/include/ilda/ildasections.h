#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

// The 32-byte section header of an ILDA file and a walk over a file's sections.
//
// Every section starts with the letters "ILDA", a format code at offset 7, two 8-byte names,
// and big-endian 16-bit words for the record count (24), frame number (26) and total frames
// (28). The header carries no length of its own: where the next section starts follows from
// the format's record size and the count, or, for a format whose records we do not know, only
// from scanning for the next "ILDA".

inline constexpr size_t kIldaHeaderSize = 32;

struct IldaSectionHeader {
    size_t offset = 0;        // of the header, from the start of the data
    int formatCode = 0;       // byte 7
    char frameName[9] = {};   // bytes 8-15, as stored, with a terminator added
    char companyName[9] = {}; // bytes 16-23, likewise
    uint16_t pointCount = 0;  // unsigned word at 24
    int16_t frameNumber = 0;  // signed word at 26
    int16_t totalFrames = 0;  // signed word at 28
    uint8_t scannerHead = 0;  // byte 30
};

// A big-endian 16-bit word: the little-endian word with its two bytes swapped.
[[nodiscard]] constexpr uint16_t SwapBytes16(uint16_t word) {
    return static_cast<uint16_t>((word >> 8) | (word << 8));
}

// The big-endian word at p (two readable bytes).
[[nodiscard]] inline uint16_t ReadBigEndian16(const uint8_t* p) {
    uint16_t word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::little)
        return SwapBytes16(word);
    else
        return word;
}

// Decodes the header at `at`. False, leaving `out` untouched, when fewer than 32 bytes remain
// before `end` or the first four bytes are not exactly "ILDA". `base` is the start of the data,
// for `offset`.
[[nodiscard]] bool ReadSectionHeader(const uint8_t* base, const uint8_t* at, const uint8_t* end,
                                     IldaSectionHeader& out);

// Bytes per record of a format: 8 (0, 3D indexed), 6 (1, 2D indexed), 3 (2, palette),
// 10 (4, 3D true colour), 8 (5, 2D true colour); 0 for a format we do not know.
[[nodiscard]] int IldaRecordSize(int formatCode);

// A format in words: "3D indexed colour" (0), "2D indexed colour" (1), "colour palette" (2),
// "3D true colour" (4), "2D true colour" (5), "unknown" for any other code.
[[nodiscard]] const char* IldaFormatName(int formatCode);

// The records a section of a known record size holds.
struct IldaSectionRecords {
    // The records that make up the section: its count, or the count plus a multiple of 65,536
    // when the count overflowed.
    size_t count = 0;
    // All `count` records lie within the data. False for a count beyond the data, whose records
    // are then cut off by its end.
    bool complete = false;
    // The count overflowed 16 bits: a writer stored `count` mod 65,536.
    bool overflowed = false;
};

// Where the section really ends: the one rule every walk over the sections follows. A count
// whose records end where the data ends or a header ("ILDA") starts gives the section. When they
// end elsewhere and the data ends or a header starts a whole multiple of 65,536 records later
// (the first such place), the count overflowed its 16 bits and the section runs there, so a frame
// of more points than the field holds is whole. Otherwise the section is its counted records,
// followed by bytes that belong to no section. A count of 0 (a closing section) never overflows.
//
// `recordSize` > 0; `available` bytes follow the header; `magicAt(offset)` says whether the four
// bytes `offset` bytes after the header are "ILDA" (offset < available; the probe itself sees to
// it that four bytes are there).
[[nodiscard]] IldaSectionRecords
MeasureIldaSection(size_t recordSize, size_t count, uint64_t available,
                   const std::function<bool(uint64_t offset)>& magicAt);

// The same for the section whose header (kIldaHeaderSize readable bytes) is at `header` in data
// that ends at `end`, read as records of `recordSize` bytes (> 0).
[[nodiscard]] IldaSectionRecords MeasureIldaSection(const uint8_t* header, const uint8_t* end,
                                                    size_t recordSize);

struct IldaSectionInfo {
    IldaSectionHeader header;
    // The section's counted records lie within the data. False for a section cut off by the end
    // of the data, and for a format of unknown record size.
    bool complete = false;
    // Bytes between the end of this section and the next "ILDA" (or the end of the data) that
    // belong to no section.
    size_t strayBytes = 0;
};

// Every section header of the data, in file order. A section of a known format is stepped over
// by its records as MeasureIldaSection finds them; a section of an unknown format, or stray bytes
// after a section, by scanning for the next "ILDA". The walk stops at the end of the data, at a
// section cut off by it, or where no further "ILDA" is found. It decodes no point records.
[[nodiscard]] std::vector<IldaSectionInfo> ListIldaSections(const uint8_t* data, size_t size);

// The first "ILDA" at or after `from` that lies wholly before `end`, or `end` when there is none.
[[nodiscard]] const uint8_t* FindIldaMagic(const uint8_t* from, const uint8_t* end);
