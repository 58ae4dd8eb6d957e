#include "ilda/ildaleadingsections.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include "ilda/ildasections.h"
#include "platform/inputfile.h"

namespace {

// Reads up to `size` bytes at `offset`; the count read (short only at the end of the file), or
// -1 on failure.
ssize_t ReadAt(int file, uint8_t* into, size_t size, off_t offset) {
    size_t got = 0;
    while (got < size) {
        const ssize_t done =
            ::pread(file, into + got, size - got, offset + static_cast<off_t>(got));
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            return -1;
        if (done == 0)
            break;
        got += static_cast<size_t>(done);
    }
    return static_cast<ssize_t>(got);
}

// The header at `offset`, when the file holds one there.
bool HeaderAt(int file, uint64_t fileSize, uint64_t offset, IldaSectionHeader& section) {
    uint8_t header[kIldaHeaderSize];
    return offset + kIldaHeaderSize <= fileSize &&
           ReadAt(file, header, sizeof header, static_cast<off_t>(offset)) ==
               static_cast<ssize_t>(sizeof header) &&
           ReadSectionHeader(header, header, header + sizeof header, section);
}

// Where the leading point sections end, or 0 when the headers cannot be followed there (the
// whole file is wanted then). The steps are the reader's (CIlda::Parse): a section of a known
// format ends where MeasureIldaSection says (past its count when the count overflowed), and a
// section of no points is a closing section that adds no frame. Where no header follows a
// section the reader scans for the next "ILDA"; the counts say where that is only when it
// follows at once.
uint64_t LeadingLength(int file, uint64_t fileSize, int pointSections) {
    uint64_t offset = 0;
    int found = 0;
    while (found < pointSections) {
        IldaSectionHeader section;
        if (!HeaderAt(file, fileSize, offset, section))
            return 0;
        const int recordSize = IldaRecordSize(section.formatCode);
        if (recordSize == 0)
            return 0;
        const uint64_t records = offset + kIldaHeaderSize;
        const IldaSectionRecords measured = MeasureIldaSection(
            static_cast<size_t>(recordSize), section.pointCount, fileSize - records,
            [file, records](uint64_t at) {
                uint8_t magic[4];
                return ReadAt(file, magic, sizeof magic, static_cast<off_t>(records + at)) ==
                           static_cast<ssize_t>(sizeof magic) &&
                       std::memcmp(magic, "ILDA", sizeof magic) == 0;
            });
        if (!measured.complete)
            return 0;
        if (section.formatCode != 2 && section.pointCount != 0)
            ++found;
        offset = records + uint64_t{measured.count} * uint64_t(recordSize);
    }
    return offset;
}

} // namespace

bool ReadLeadingSections(const std::string& name, int pointSections, IldaLeadingBytes& out,
                         std::string* why) {
    out.bytes.clear();
    out.whole = false;
    struct stat info {};
    const int file = OpenRegularFile(name, &info, why);
    if (file < 0)
        return false;
    const auto fileSize = static_cast<uint64_t>(info.st_size < 0 ? 0 : info.st_size);
    uint64_t length = LeadingLength(file, fileSize, pointSections);
    if (length == 0 || length >= fileSize) {
        length = fileSize;
        out.whole = true;
    }
    out.bytes.resize(static_cast<size_t>(length));
    const ssize_t got = ReadAt(file, out.bytes.data(), out.bytes.size(), 0);
    const int error = errno;
    ::close(file);
    if (got < 0) {
        if (why != nullptr)
            *why = std::strerror(error);
        out.bytes.clear();
        return false;
    }
    // A file that shrank meanwhile: only what was read is parsed.
    if (static_cast<size_t>(got) < out.bytes.size()) {
        out.bytes.resize(static_cast<size_t>(got));
        out.whole = true;
    }
    return true;
}
