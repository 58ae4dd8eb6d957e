#include "ilda/ildasections.h"

#include <cstring>

namespace {

constexpr char kMagic[4] = {'I', 'L', 'D', 'A'};
constexpr uint64_t kCountSpan = 65536; // what a 16-bit record count wraps at

} // namespace

bool ReadSectionHeader(const uint8_t* base, const uint8_t* at, const uint8_t* end,
                       IldaSectionHeader& out) {
    if (at == nullptr || end - at < static_cast<ptrdiff_t>(kIldaHeaderSize) ||
        std::memcmp(at, kMagic, sizeof kMagic) != 0)
        return false;
    out.offset = static_cast<size_t>(at - base);
    out.formatCode = at[7];
    std::memcpy(out.frameName, at + 8, 8);
    out.frameName[8] = '\0';
    std::memcpy(out.companyName, at + 16, 8);
    out.companyName[8] = '\0';
    out.pointCount = ReadBigEndian16(at + 24);
    out.frameNumber = static_cast<int16_t>(ReadBigEndian16(at + 26));
    out.totalFrames = static_cast<int16_t>(ReadBigEndian16(at + 28));
    out.scannerHead = at[30];
    return true;
}

int IldaRecordSize(int formatCode) {
    switch (formatCode) {
    case 0:
        return 8;
    case 1:
        return 6;
    case 2:
        return 3;
    case 4:
        return 10;
    case 5:
        return 8;
    default:
        return 0;
    }
}

const char* IldaFormatName(int formatCode) {
    switch (formatCode) {
    case 0:
        return "3D indexed colour";
    case 1:
        return "2D indexed colour";
    case 2:
        return "colour palette";
    case 4:
        return "3D true colour";
    case 5:
        return "2D true colour";
    default:
        return "unknown";
    }
}

const uint8_t* FindIldaMagic(const uint8_t* from, const uint8_t* end) {
    while (end - from >= static_cast<ptrdiff_t>(sizeof kMagic)) {
        const auto* hit = static_cast<const uint8_t*>(
            std::memchr(from, kMagic[0], static_cast<size_t>(end - from) - (sizeof kMagic - 1)));
        if (hit == nullptr)
            break;
        if (std::memcmp(hit, kMagic, sizeof kMagic) == 0)
            return hit;
        from = hit + 1;
    }
    return end;
}

IldaSectionRecords MeasureIldaSection(size_t recordSize, size_t count, uint64_t available,
                                      const std::function<bool(uint64_t offset)>& magicAt) {
    IldaSectionRecords section;
    section.count = count;
    if (recordSize == 0 || count > available / recordSize)
        return section;
    section.complete = true;
    const uint64_t counted = uint64_t{recordSize} * count;
    if (count == 0 || counted == available || magicAt(counted))
        return section;
    // Only candidates within the data are tried, so no product exceeds `available`.
    for (uint64_t real = count + kCountSpan; real <= available / recordSize; real += kCountSpan) {
        const uint64_t length = recordSize * real;
        if (length == available || magicAt(length)) {
            section.count = static_cast<size_t>(real);
            section.overflowed = true;
            return section;
        }
    }
    return section;
}

IldaSectionRecords MeasureIldaSection(const uint8_t* header, const uint8_t* end,
                                      size_t recordSize) {
    const uint8_t* const records = header + kIldaHeaderSize;
    const auto available = static_cast<uint64_t>(end - records);
    return MeasureIldaSection(recordSize, ReadBigEndian16(header + 24), available,
                              [records, available](uint64_t offset) {
                                  return available - offset >= sizeof kMagic &&
                                         std::memcmp(records + offset, kMagic, sizeof kMagic) == 0;
                              });
}

std::vector<IldaSectionInfo> ListIldaSections(const uint8_t* data, size_t size) {
    std::vector<IldaSectionInfo> sections;
    if (data == nullptr)
        return sections;
    const uint8_t* const end = data + size;
    const uint8_t* at = data;
    IldaSectionInfo info;
    while (ReadSectionHeader(data, at, end, info.header)) {
        const uint8_t* records = at + kIldaHeaderSize;
        const size_t recordSize = static_cast<size_t>(IldaRecordSize(info.header.formatCode));
        const IldaSectionRecords measured =
            recordSize == 0 ? IldaSectionRecords{} : MeasureIldaSection(at, end, recordSize);
        const uint8_t* next;
        if (recordSize == 0) {
            info.complete = false;
            next = FindIldaMagic(records, end);
        } else if (measured.complete) {
            info.complete = true;
            next = records + recordSize * measured.count;
        } else {
            info.complete = false;
            info.strayBytes = 0;
            sections.push_back(info);
            break;
        }
        const uint8_t* following = FindIldaMagic(next, end);
        // Bytes up to the next header, or to the end when none follows, belong to no section.
        info.strayBytes = static_cast<size_t>(following - next);
        sections.push_back(info);
        at = following;
        info = IldaSectionInfo{};
    }
    return sections;
}
