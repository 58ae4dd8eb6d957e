#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The leading part of an ILDA file: enough bytes for its first point sections, read without
// reading the rest. A long show need not be read to its end to be judged by its opening frames.
struct IldaLeadingBytes {
    std::vector<uint8_t> bytes;
    // The bytes are the whole file. When false they end right after the wanted number of point
    // sections (formats 0, 1, 4, 5), so that CIlda::LoadBytes of them gives exactly the frames
    // that loading the whole file gives for those sections, and no more.
    bool whole = false;
};

// Reads the file at `name` (a regular file; see OpenRegularFile) up to the end of its first
// `pointSections` point sections, found by stepping from header to header by the record counts
// as the reader does (past a count that overflowed 16 bits, see MeasureIldaSection). Where the
// headers cannot be followed that way (a format of unknown record size, no "ILDA" where the count
// says the next section starts, a closing section with records of its own) or the file ends first,
// the whole file is read. False when the file cannot be opened or read; `why` (when given) then
// says why in one line. std::bad_alloc when its bytes cannot be held in memory.
[[nodiscard]] bool ReadLeadingSections(const std::string& name, int pointSections,
                                       IldaLeadingBytes& out, std::string* why = nullptr);
