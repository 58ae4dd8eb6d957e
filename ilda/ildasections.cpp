#include "ilda/ildasections.h"

#include <cstring>

namespace {

constexpr char kMagic[4] = {'I', 'L', 'D', 'A'};

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
        const size_t length = recordSize * info.header.pointCount;
        const uint8_t* next;
        if (recordSize == 0) {
            info.complete = false;
            next = FindIldaMagic(records, end);
        } else if (length <= static_cast<size_t>(end - records)) {
            info.complete = true;
            next = records + length;
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
