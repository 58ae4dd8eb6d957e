#include "ilda/cilda.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "ilda/colourpalettes.h"
#include "ilda/ildasections.h"
#include "ilda/nearestcolourtable.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cpoly.h"
#include "model/cthing.h"
#include "model/cvector.h"
#include "model/vertexpool.h"
#include "platform/inputfile.h"
#include "platform/messagehook.h"
#include "platform/outputfile.h"

namespace {

constexpr const char* kCannotOpen = "Cannot open Ilda file.";

constexpr uint16_t kLastPoint = 0x8000;
constexpr uint16_t kBlanked = 0x4000;
constexpr uint8_t kBlankedByte = 0x40;

constexpr size_t kRecordSize3D = 8;
constexpr size_t kRecordSizePalette = 3;

// A model coordinate as a file word: truncated towards zero, times 16, low 16 bits. Values
// beyond what an int32 holds (and NaN) cannot come from a file; they are pinned rather than
// converted, as that conversion has no defined result.
uint16_t FileWord(float value) {
    int32_t whole = 0;
    if (value >= 2147483520.0f)
        whole = std::numeric_limits<int32_t>::max();
    else if (value <= -2147483648.0f)
        whole = std::numeric_limits<int32_t>::min();
    else if (!std::isnan(value))
        whole = static_cast<int32_t>(value);
    return static_cast<uint16_t>(static_cast<uint32_t>(whole) << 4);
}

void PutWord(uint8_t* at, uint16_t word) {
    at[0] = static_cast<uint8_t>(word >> 8);
    at[1] = static_cast<uint8_t>(word);
}

// Header fields shared by frame and end sections.
void PutHeader(uint8_t* at, const char (&frameName)[9], uint16_t count, uint16_t frameNumber,
               uint16_t totalFrames) {
    std::memcpy(at, "ILDA", 4);
    std::memset(at + 4, 0, 4); // reserved, format code 0
    std::memcpy(at + 8, frameName, 8);
    std::memcpy(at + 16, "ZEV     ", 8);
    PutWord(at + 24, count);
    PutWord(at + 26, frameNumber);
    PutWord(at + 28, totalFrames);
    at[30] = 0;
    at[31] = 0;
}

// A section's frame number and the total it gives, for frame `index` (0-based) of `frames`.
// Both fields have 16 bits. Up to 65,535 frames they count as the standard has it. A channel
// of more frames cannot be numbered so: counted on from 0 again, the frame that comes to say
// total - 1 would make a reader that goes by the numbers take it for the last of its sequence
// and pass over the frame after it. Such a file says 65,535 frames in total, counts up to 65,533
// and holds the number 65,534 (total - 1) back for its last frame.
struct SectionNumber {
    uint16_t number;
    uint16_t total;
};

SectionNumber NumberOfSection(int index, int frames) {
    constexpr int kMostFrames = 65535;
    if (frames <= kMostFrames)
        return {static_cast<uint16_t>(index), static_cast<uint16_t>(frames)};
    if (index < frames - 1)
        return {static_cast<uint16_t>(std::min(index, kMostFrames - 2)), kMostFrames};
    if (index == frames - 1)
        return {kMostFrames - 1, kMostFrames};
    return {kMostFrames, kMostFrames}; // the closing section
}

// The most points one section can hold: its count has 16 bits.
constexpr int32_t kMostSectionPoints = 65535;

// The first frame (numbered from 1) with more points than a section holds, and its points; 0
// when every frame fits. Such a frame cannot be written: one section would need a count that
// overflowed, which a reader of the standard takes for fewer points, and splitting it would make
// frames that are not there.
std::pair<int, int32_t> FrameTooLarge(CChannel* channel) {
    int number = 1;
    for (CFrame* frame = channel->FirstFrame(); frame != nullptr; frame = frame->Next(false)) {
        const int32_t points = frame->PointCount();
        if (points > kMostSectionPoints)
            return {number, points};
        ++number;
    }
    return {0, 0};
}

std::string TooLargeText(std::pair<int, int32_t> frame) {
    return std::string(kCannotOpen) + " Frame " + std::to_string(frame.first) + " holds " +
           std::to_string(frame.second) + " points, more than the " +
           std::to_string(kMostSectionPoints) + " an ILDA frame can hold.";
}

} // namespace

CIlda::CIlda() = default;

CIlda::~CIlda() = default;

bool CIlda::Load(const std::string& name, CChannel* channel, int32_t paletteIndex) {
    (void)channel->AddFrame();
    if (!ReadWholeFile(name)) {
        ShowThemedMessage(kCannotOpen, mtError, mbOK);
        return false;
    }
    palette_ = paletteIndex;
    // A file that stops making sense part way still loads as far as it was read.
    (void)Parse(channel);
    return true;
}

void CIlda::ReleaseInput() {
    buffer_.reset();
    begin_ = cursor_ = end_ = nullptr;
}

std::span<const uint8_t> CIlda::Input() const {
    if (!buffer_)
        return {};
    return {buffer_.get(), end_};
}

size_t CIlda::ParsedBytes() const {
    return static_cast<size_t>(cursor_ - begin_);
}

bool CIlda::LoadBytes(const uint8_t* data, size_t size, CChannel* channel, int32_t paletteIndex) {
    (void)channel->AddFrame();
    buffer_.reset();
    begin_ = cursor_ = data;
    end_ = data == nullptr ? nullptr : data + size;
    palette_ = paletteIndex;
    (void)Parse(channel);
    return true;
}

bool CIlda::ReadWholeFile(const std::string& name) {
    ReleaseInput();

    // Only a regular file is an ILDA file; a FIFO or a device under an ILDA name is refused
    // without waiting for it.
    struct stat info {};
    const int file = OpenRegularFile(name, &info);
    if (file < 0)
        return false;
    const auto size = static_cast<uint64_t>(info.st_size);
    if (info.st_size < 0 || size > static_cast<uint64_t>(std::numeric_limits<ptrdiff_t>::max())) {
        ::close(file);
        return false;
    }
    // Running out of memory is no property of the file: it is thrown to the caller, which
    // reports it as what it is.
    try {
        buffer_.reset(new uint8_t[size == 0 ? 1 : static_cast<size_t>(size)]);
    } catch (...) {
        ::close(file);
        throw;
    }
    // The file may be shorter than its size said by the time it is read; only bytes that were
    // read are ever parsed.
    const ssize_t got = ReadFully(file, buffer_.get(), static_cast<size_t>(size));
    ::close(file);
    if (got < 0) {
        buffer_.reset();
        return false;
    }
    begin_ = cursor_ = buffer_.get();
    end_ = buffer_.get() + got;
    return true;
}

bool CIlda::Parse(CChannel* channel) {
    const uint8_t* const start = cursor_;
    IldaSectionHeader header;
    for (;;) {
        if (!ReadSectionHeader(cursor_, cursor_, end_, header)) {
            // Data that does not start with a header is no ILDA file. After a section, bytes
            // that are no header belong to none (a tool's trailer after a closing section, junk
            // between frames): any later "ILDA" starts the next section, so the frames after
            // them load.
            if (cursor_ == start || !StepOverStrayBytes())
                return cursor_ == end_ && cursor_ != start;
            continue;
        }
        const bool pointFormat = header.formatCode == 0 || header.formatCode == 1 ||
                                 header.formatCode == 4 || header.formatCode == 5;
        if (pointFormat && header.pointCount == 0) {
            // A section of no points closes its sequence and is no frame, whatever format it
            // claims; a further sequence may follow.
            cursor_ += kIldaHeaderSize;
            continue;
        }
        bool stepped = false;
        switch (header.formatCode) {
        case 0:
            stepped = ParseSection3D(channel);
            break;
        case 1:
            stepped = ParseSection2D(channel);
            break;
        case 4:
            stepped = ParseSectionTrueColour3D(channel);
            break;
        case 5:
            stepped = ParseSectionTrueColour2D(channel);
            break;
        case 2:
            stepped = StepOverPaletteSection();
            break;
        default:
            stepped = SkipSection();
            break;
        }
        // Frame numbers and totals are not looked at: writers number from 1, repeat numbers or
        // give totals that do not match, and every section of points is a frame all the same.
        if (!stepped)
            return false;
    }
}

bool CIlda::ParseSection3D(CChannel* channel) {
    return ParseSectionOf<0>(channel);
}

bool CIlda::ParseSection2D(CChannel* channel) {
    return ParseSectionOf<1>(channel);
}

bool CIlda::ParseSectionTrueColour3D(CChannel* channel) {
    return ParseSectionOf<4>(channel);
}

bool CIlda::ParseSectionTrueColour2D(CChannel* channel) {
    return ParseSectionOf<5>(channel);
}

// One loop per format, so that the record layout is fixed inside it: a section is thousands of
// points and the loop is most of the reader's time.
template <int Format> bool CIlda::ParseSectionOf(CChannel* channel) {
    // Indexed records end in a status word (last point 0x8000, blanked 0x4000, colour index in
    // the low byte); true-colour records in a status byte (0x80, 0x40) followed by blue, green
    // and red. Records of formats 0 and 4 carry z after y. The last-point bit is not looked at:
    // font and drawing programs set it at the end of every stroke or path inside a section, and
    // the count alone says where the section ends.
    constexpr bool hasZ = Format == 0 || Format == 4;
    constexpr bool trueColour = Format >= 4;
    constexpr size_t recordSize = trueColour ? (hasZ ? 10 : 8) : (hasZ ? 8 : 6);
    constexpr size_t statusAt = hasZ ? 6 : 4;

    const uint8_t* const header = cursor_;
    const uint8_t* const records = header + kIldaHeaderSize;
    cursor_ = records;

    // The records the section holds (more than its count says when the count overflowed 16
    // bits), as far as the data holds them whole; a count beyond them ends the parse at the cut
    // record. A section without one whole record gives no frame: the file does not hold one.
    const IldaSectionRecords section = MeasureIldaSection(header, end_, recordSize);
    const size_t recordsLeft = static_cast<size_t>(end_ - records) / recordSize;
    const size_t whole = section.complete ? section.count : recordsLeft;
    if (whole == 0)
        return section.complete;

    // The first section fills the empty frame Load appended; every later one gets its own.
    CFrame* frame = channel->LastFrame();
    if (frame == nullptr || frame->FirstThing() != nullptr)
        frame = channel->AddFrame();
    if (frame == nullptr)
        return false;
    CThing* thing = frame->AddThing();
    if (thing == nullptr)
        return false;

    // The rest of the file holds at most that many points of this format: the vertex pool
    // prepares their memory ahead while this section is parsed.
    VertexPoolExpect(recordsLeft);
    const std::array<uint32_t, 256>& colours = PaletteColours(palette_);
    const NearestColourTable* nearest = trueColour ? &NearestColourTable::Of(palette_) : nullptr;
    uint32_t lastFileColour = 0; // black is never looked up
    uint32_t lastColour = 0;
    const uint8_t* record = records;
    for (size_t i = 0; i < whole; ++i, record += recordSize) {
        const auto x = static_cast<int16_t>(ReadBigEndian16(record));
        const auto y = static_cast<int16_t>(ReadBigEndian16(record + 2));
        const int16_t z = hasZ ? static_cast<int16_t>(ReadBigEndian16(record + 4)) : int16_t{0};
        bool blank = false;
        uint32_t colour = 0;
        if constexpr (trueColour) {
            const uint8_t status = record[statusAt];
            const uint32_t fileColour = uint32_t{record[statusAt + 3]} |
                                        uint32_t{record[statusAt + 2]} << 8 |
                                        uint32_t{record[statusAt + 1]} << 16;
            // Black is a point the laser does not light, whatever its blanking bit says.
            blank = (status & kBlankedByte) != 0 || fileColour == 0;
            if (!blank) {
                // Lines of one colour run over many points: one look-up per run.
                if (fileColour != lastFileColour) {
                    lastFileColour = fileColour;
                    lastColour = colours[nearest->IndexOf(fileColour)];
                }
                colour = lastColour;
            }
        } else {
            const uint16_t status = ReadBigEndian16(record + statusAt);
            blank = (status & kBlanked) != 0;
            if (!blank)
                colour = colours[status & 0xFF];
        }
        // Right shifts of negative values are arithmetic: division by 16 rounded down.
        if (thing->AddVertex(static_cast<float>(x >> 4), static_cast<float>(y >> 4),
                             static_cast<float>(z >> 4), colour, blank ? 1 : 0) == nullptr) {
            cursor_ = record;
            return false;
        }
    }
    cursor_ = record;
    return section.complete;
}

bool CIlda::StepOverPaletteSection() {
    // Its colours are never used: vertex colours come from the chosen palette. The records
    // carry no end mark, so the count says where the next section starts when the data holds
    // that many; otherwise the next "ILDA" is looked for.
    const IldaSectionRecords section = MeasureIldaSection(cursor_, end_, kRecordSizePalette);
    if (section.complete) {
        cursor_ += kIldaHeaderSize + kRecordSizePalette * section.count;
        return true;
    }
    return SkipSection();
}

bool CIlda::StepOverStrayBytes() {
    if (cursor_ == nullptr || cursor_ >= end_) {
        cursor_ = end_;
        return false;
    }
    // "ILDA" here is a header cut off by the end of the data: nothing follows it.
    if (end_ - cursor_ >= 4 && std::memcmp(cursor_, "ILDA", 4) == 0)
        return false;
    cursor_ = FindIldaMagic(cursor_, end_);
    return cursor_ != end_;
}

bool CIlda::SkipSection() {
    if (cursor_ == nullptr || end_ - cursor_ < static_cast<ptrdiff_t>(kIldaHeaderSize)) {
        cursor_ = end_;
        return false;
    }
    cursor_ += kIldaHeaderSize;
    // A header starting in the last four bytes could not be read anyway.
    const uint8_t* found = FindIldaMagic(cursor_, end_ - 1);
    if (found == end_ - 1) {
        cursor_ = end_;
        return false;
    }
    cursor_ = found;
    return true;
}

bool CIlda::Save(const std::string& name, CChannel* channel, int32_t paletteIndex) {
    if (const std::pair<int, int32_t> tooLarge = FrameTooLarge(channel); tooLarge.first != 0) {
        ShowThemedMessage(TooLargeText(tooLarge), mtInformation, mbOK);
        return false;
    }
    if (!CreateOutput(name)) {
        output_.reset();
        ShowThemedMessage(kCannotOpen, mtInformation, mbOK);
        return false;
    }
    palette_ = paletteIndex;
    for (CFrame* frame = channel->FirstFrame(); frame != nullptr; frame = frame->Next(false))
        WriteFrame(channel, frame);
    WriteEndSection(channel);
    // Nothing is in place of the target until every byte was written; a write that failed
    // anywhere (a full disk, a size limit) leaves the target as it was.
    const bool committed = output_->Commit();
    output_.reset();
    if (!committed) {
        ShowThemedMessage(kCannotOpen, mtInformation, mbOK);
        return false;
    }
    return true;
}

std::vector<uint8_t> CIlda::SaveBytes(CChannel* channel, int32_t paletteIndex) {
    std::vector<uint8_t> bytes;
    if (FrameTooLarge(channel).first != 0)
        return bytes;
    memoryOutput_ = &bytes;
    palette_ = paletteIndex;
    try {
        for (CFrame* frame = channel->FirstFrame(); frame != nullptr; frame = frame->Next(false))
            WriteFrame(channel, frame);
        WriteEndSection(channel);
    } catch (...) {
        memoryOutput_ = nullptr;
        throw;
    }
    memoryOutput_ = nullptr;
    return bytes;
}

void CIlda::Emit(const uint8_t* data, size_t size) {
    if (memoryOutput_ != nullptr)
        memoryOutput_->insert(memoryOutput_->end(), data, data + size);
    else if (output_)
        output_->Write(data, size);
}

bool CIlda::CreateOutput(const std::string& name) {
    output_ = std::make_unique<COutputFile>(name);
    return output_->Open();
}

void CIlda::WriteFrame(CChannel* channel, CFrame* frame) {
    if (!output_ && memoryOutput_ == nullptr)
        return;
    const int count = frame->PointCount();
    section_.resize(kIldaHeaderSize);
    section_.reserve(kIldaHeaderSize + kRecordSize3D * static_cast<size_t>(count > 0 ? count : 0));
    const SectionNumber numbered = NumberOfSection(frame->Index() - 1, channel->FrameCount());
    PutHeader(section_.data(), "FRAME   ", static_cast<uint16_t>(count), numbered.number,
              numbered.total);
    // Colours are written as the palette's nearest entry, the index NearestColourIndex gives,
    // without its scan of 256 entries per point.
    const NearestColourTable& nearest = NearestColourTable::Of(palette_);
    for (CThing* thing = frame->FirstThing(); thing != nullptr; thing = thing->Next(false)) {
        for (CPoly* poly = thing->FirstPoly(); poly != nullptr; poly = poly->Next(false)) {
            const CVector* first = poly->FirstVertex();
            if (first == nullptr)
                continue;
            WritePoint(nearest, 1, 0, first->x, first->y, first->z); // blanked move to the outline
            for (const CVector* v = first; v != nullptr; v = v->next)
                WritePoint(nearest, v->blank, v->colour, v->x, v->y, v->z);
            WritePoint(nearest, first->blank, first->colour, first->x, first->y, first->z);
        }
        for (const CVector* v = thing->FirstVertex(); v != nullptr; v = v->next)
            WritePoint(nearest, v->blank, v->colour, v->x, v->y, v->z);
    }
    // A section of no records closes a file, so a frame without points would vanish when read
    // back: it holds one blanked point at the origin instead.
    if (section_.size() == kIldaHeaderSize)
        WritePoint(nearest, 1, 0, 0.0f, 0.0f, 0.0f);
    // The standard marks a section's last record, and only that one; readers that do not trust
    // the count stop there.
    section_[section_.size() - 2] |= static_cast<uint8_t>(kLastPoint >> 8);
    Emit(section_.data(), section_.size());
}

void CIlda::WritePoint(const NearestColourTable& nearest, uint8_t blank, uint32_t colour, float x,
                       float y, float z) {
    uint16_t status = nearest.IndexOf(colour);
    if (blank != 0)
        status |= kBlanked;
    uint8_t record[kRecordSize3D];
    PutWord(record, FileWord(x));
    PutWord(record + 2, FileWord(y));
    PutWord(record + 4, FileWord(z));
    PutWord(record + 6, status);
    section_.insert(section_.end(), record, record + sizeof record);
}

void CIlda::WriteEndSection(CChannel* channel) {
    if (!output_ && memoryOutput_ == nullptr)
        return;
    uint8_t header[kIldaHeaderSize];
    // The closing section comes after the last frame: numbered as the frame after it.
    const int frames = channel->FrameCount();
    const SectionNumber numbered = NumberOfSection(frames, frames);
    PutHeader(header, "END     ", 0, numbered.number, numbered.total);
    Emit(header, sizeof header);
}
