#include "ilda/ildacheck.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "ilda/ildasections.h"

namespace {

constexpr size_t kMostFrames = 65535;   // the most total frames can say
constexpr size_t kListedRecords = 8;    // record numbers named in one departure
constexpr uint8_t kLastPointBit = 0x80; // in the status byte of every point format

// The status byte (indexed formats: the high byte of the status word) sits after X, Y and, in
// 3D, Z, in all four point formats.
constexpr bool IsPointFormat(int format) {
    return format == 0 || format == 1 || format == 4 || format == 5;
}
constexpr bool Is3D(int format) {
    return format == 0 || format == 4;
}
constexpr size_t StatusOffset(int format) {
    return Is3D(format) ? 6 : 4;
}

bool MagicAt(const uint8_t* at, const uint8_t* end) {
    return end - at >= 4 && std::memcmp(at, "ILDA", 4) == 0;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

const char* Plural(size_t n, const char* one, const char* many) {
    return n == 1 ? one : many;
}

// A frame of the sequence being walked, as its header says it.
struct SequenceFrame {
    size_t section;
    size_t offset;
    unsigned number;
    unsigned total;
};

class Checker {
public:
    Checker(const uint8_t* data, size_t size)
        : data_(data), end_(data == nullptr ? nullptr : data + size) {}

    std::vector<IldaDeparture> Run();

private:
    void Add(size_t section, const uint8_t* at, IldaDepartureKind kind, std::string text) {
        departures_.push_back({section, static_cast<size_t>(at - data_), kind, std::move(text)});
    }

    void CheckHeaderFields(const uint8_t* header);
    void CheckName(const uint8_t* field, const char* what);
    const uint8_t* RecordsEnd(const IldaSectionHeader& header, const uint8_t* records,
                              size_t* count);
    void CheckLastPointBits(int format, const uint8_t* records, size_t count, size_t present);
    void AddFrame(const IldaSectionHeader& header);
    void CloseSequence(const IldaSectionHeader* closing);
    void CheckNumbers();
    void CheckTotals();

    const uint8_t* const data_;
    const uint8_t* const end_;
    std::vector<IldaDeparture> departures_;
    size_t section_ = 0; // number of the section being looked at

    std::vector<SequenceFrame> sequence_;
    int sequenceFormat_ = -1;  // of the sequence's first frame
    int lastFrameFormat_ = -1; // of its latest frame
    bool sequenceMixed_ = false;
    int fileFormat_ = -1; // of the file's first frame
    bool fileMixed_ = false;
};

std::vector<IldaDeparture> Checker::Run() {
    const uint8_t* at = data_;
    if (data_ == nullptr || at == end_) {
        departures_.push_back({0, 0, IldaDepartureKind::NotAHeader, "no data: no ILDA header"});
        return std::move(departures_);
    }
    if (!MagicAt(at, end_)) {
        const uint8_t* first = FindIldaMagic(at, end_);
        Add(0, at, IldaDepartureKind::NotAHeader,
            first == end_ ? Format("no ILDA header in the %zu bytes of the data",
                                   static_cast<size_t>(end_ - at))
                          : Format("%zu bytes before the first ILDA header",
                                   static_cast<size_t>(first - at)));
        at = first;
    }

    bool afterClosing = false; // whether the section before `at` was a closing section
    bool cutOff = false;
    IldaSectionHeader header;
    while (at != end_) {
        if (!ReadSectionHeader(data_, at, end_, header)) {
            if (MagicAt(at, end_)) {
                Add(++section_, at, IldaDepartureKind::CutOff,
                    Format("header cut off by the end of the data: %zu of its 32 bytes present",
                           static_cast<size_t>(end_ - at)));
                cutOff = true;
                break;
            }
            // The section before ended here, and no header follows: the bytes up to the next
            // "ILDA" (or the end) are no part of any section.
            const uint8_t* next = FindIldaMagic(at, end_);
            const auto stray = static_cast<size_t>(next - at);
            if (afterClosing)
                Add(section_, at, IldaDepartureKind::BytesAfterEnd,
                    Format("%zu %s after the closing section", stray,
                           Plural(stray, "byte", "bytes")));
            else
                Add(section_, at, IldaDepartureKind::NotAHeader,
                    Format("%zu %s that are not an ILDA header where the next header should be",
                           stray, Plural(stray, "byte", "bytes")));
            at = next;
            continue;
        }
        ++section_;
        CheckHeaderFields(at);
        const int format = header.formatCode;
        const uint8_t* records = at + kIldaHeaderSize;
        const size_t recordSize = static_cast<size_t>(IldaRecordSize(format));
        if (recordSize == 0) {
            // Without a record size the section's length is unknown: its records run to the next
            // "ILDA", as a reader that passes over it finds.
            Add(section_, at, IldaDepartureKind::UnknownFormat,
                Format("format code %d, which the standard does not define", format));
            at = FindIldaMagic(records, end_);
            afterClosing = false;
            continue;
        }
        if (header.pointCount == 0) {
            CloseSequence(&header);
            afterClosing = true;
            at = records;
            continue;
        }
        afterClosing = false;

        size_t count = header.pointCount;
        const auto available = static_cast<size_t>(end_ - records);
        if (recordSize * count > available) {
            const size_t present = available / recordSize;
            Add(section_, at, IldaDepartureKind::CutOff,
                Format("section of %zu %s cut off by the end of the data: %zu whole %s present",
                       count, Plural(count, "record", "records"), present,
                       Plural(present, "record", "records")));
            if (IsPointFormat(format))
                CheckLastPointBits(format, records, count, present);
            cutOff = true;
            break;
        }
        const uint8_t* next = RecordsEnd(header, records, &count);
        if (format == 2) {
            Add(section_, at, IldaDepartureKind::Palette,
                Format("palette section of %zu %s, not used: colours come from the palette "
                       "chosen for reading",
                       count, Plural(count, "colour", "colours")));
        } else {
            CheckLastPointBits(format, records, count, count);
            AddFrame(header);
        }
        at = next;
    }
    if (!cutOff && !sequence_.empty()) {
        CloseSequence(nullptr);
        Add(section_, end_, IldaDepartureKind::NoClosingSection,
            "no closing section (a header with no records) after the last frame");
    }
    std::stable_sort(
        departures_.begin(), departures_.end(),
        [](const IldaDeparture& a, const IldaDeparture& b) { return a.offset < b.offset; });
    return std::move(departures_);
}

void Checker::CheckHeaderFields(const uint8_t* header) {
    static constexpr size_t kReserved[] = {4, 5, 6, 31};
    std::string bytes;
    const uint8_t* first = nullptr;
    for (size_t at : kReserved) {
        if (header[at] == 0)
            continue;
        if (first == nullptr)
            first = header + at;
        bytes += Format("%sbyte %zu is 0x%02x", bytes.empty() ? "" : ", ", at, header[at]);
    }
    if (first != nullptr)
        Add(section_, first, IldaDepartureKind::ReservedBytes,
            "reserved header bytes not zero: " + bytes);
    CheckName(header + 8, "frame name");
    CheckName(header + 16, "company name");
}

void Checker::CheckName(const uint8_t* field, const char* what) {
    // Printable ASCII, then spaces or zeros to fill the 8 bytes. Text after a zero is what the
    // standard tells readers to ignore; a writer leaves zeros there.
    size_t i = 0;
    for (; i < 8 && field[i] != 0; ++i) {
        if (field[i] < 0x20 || field[i] > 0x7E) {
            Add(section_, field + i, IldaDepartureKind::NameField,
                Format("%s holds byte 0x%02x at position %zu, which is not printable ASCII", what,
                       field[i], i + 1));
            return;
        }
    }
    for (; i < 8; ++i) {
        if (field[i] != 0) {
            Add(section_, field + i, IldaDepartureKind::NameField,
                Format("%s holds byte 0x%02x at position %zu, after the zero that ends it", what,
                       field[i], i + 1));
            return;
        }
    }
}

// Where the section's records end (see MeasureIldaSection); a count that overflowed its 16 bits
// is named, and *count becomes the records the section really holds. The records lie within the
// data.
const uint8_t* Checker::RecordsEnd(const IldaSectionHeader& header, const uint8_t* records,
                                   size_t* count) {
    const size_t recordSize = static_cast<size_t>(IldaRecordSize(header.formatCode));
    const IldaSectionRecords measured =
        MeasureIldaSection(records - kIldaHeaderSize, end_, recordSize);
    if (measured.overflowed)
        Add(section_, records - kIldaHeaderSize, IldaDepartureKind::CountOverflow,
            Format("point count says %zu, but the next header follows %zu records later: "
                   "the count overflowed 16 bits",
                   *count, measured.count));
    *count = measured.count;
    return records + recordSize * measured.count;
}

// The standard sets the last-point bit on a section's last record, and only there. `present`
// of the `count` records lie within the data.
void Checker::CheckLastPointBits(int format, const uint8_t* records, size_t count, size_t present) {
    const size_t recordSize = static_cast<size_t>(IldaRecordSize(format));
    const uint8_t* status = records + StatusOffset(format);
    const size_t before = std::min(present, count - 1);
    std::vector<size_t> early; // record numbers, from 1
    size_t earlyCount = 0;
    const uint8_t* firstEarly = nullptr;
    for (size_t i = 0; i < before; ++i, status += recordSize) {
        if ((*status & kLastPointBit) == 0)
            continue;
        if (firstEarly == nullptr)
            firstEarly = status - StatusOffset(format);
        if (early.size() < kListedRecords)
            early.push_back(i + 1);
        ++earlyCount;
    }
    if (earlyCount != 0) {
        std::string list;
        for (size_t n : early)
            list += Format("%s%zu", list.empty() ? "" : ", ", n);
        if (earlyCount > early.size())
            list += Format(" and %zu more", earlyCount - early.size());
        Add(section_, firstEarly, IldaDepartureKind::EarlyLastPoint,
            Format("last-point bit on %zu %s before the last of %zu: %s %s", earlyCount,
                   Plural(earlyCount, "record", "records"), count,
                   Plural(earlyCount, "record", "records"), list.c_str()));
    }
    if (present == count && (*status & kLastPointBit) == 0)
        Add(section_, status - StatusOffset(format), IldaDepartureKind::NoLastPoint,
            Format("no last-point bit on the last record (record %zu)", count));
}

void Checker::AddFrame(const IldaSectionHeader& header) {
    const int format = header.formatCode;
    const uint8_t* at = data_ + header.offset;
    if (fileFormat_ < 0) {
        fileFormat_ = format;
    } else if (!fileMixed_ && Is3D(format) != Is3D(fileFormat_)) {
        fileMixed_ = true;
        Add(section_, at, IldaDepartureKind::MixedDimensions,
            Format("a %s section (format %d) in a file whose first frame is %s (format %d)",
                   Is3D(format) ? "3D" : "2D", format, Is3D(fileFormat_) ? "3D" : "2D",
                   fileFormat_));
    }
    if (sequenceFormat_ < 0) {
        sequenceFormat_ = format;
    } else if (!sequenceMixed_ && format != sequenceFormat_) {
        sequenceMixed_ = true;
        Add(section_, at, IldaDepartureKind::MixedFormats,
            Format("a section of format %d in a sequence that began in format %d", format,
                   sequenceFormat_));
    }
    lastFrameFormat_ = format;
    sequence_.push_back({section_, header.offset, static_cast<uint16_t>(header.frameNumber),
                         static_cast<uint16_t>(header.totalFrames)});
}

void Checker::CloseSequence(const IldaSectionHeader* closing) {
    if (!sequence_.empty()) {
        if (closing != nullptr && closing->formatCode != lastFrameFormat_)
            Add(section_, data_ + closing->offset, IldaDepartureKind::ClosingFormat,
                Format("closing section of format %d after frames of format %d",
                       closing->formatCode, lastFrameFormat_));
        CheckNumbers();
        CheckTotals();
    }
    sequence_.clear();
    sequenceFormat_ = -1;
    lastFrameFormat_ = -1;
    sequenceMixed_ = false;
}

void Checker::CheckNumbers() {
    const size_t n = sequence_.size();
    // Past 65,535 frames the numbers cannot count on; see the header.
    const auto expected = [n](size_t i) -> size_t {
        if (n <= kMostFrames)
            return i;
        return i == n - 1 ? kMostFrames - 1 : std::min(i, kMostFrames - 2);
    };
    size_t i = 0;
    while (i < n && sequence_[i].number == expected(i))
        ++i;
    if (i == n)
        return;
    const SequenceFrame& at = sequence_[i];
    const std::string where = Format(" (frame %zu of the %zu of this sequence)", i + 1, n);
    bool counted = i == 0 && n > 1 && n <= kMostFrames;
    for (size_t j = 1; counted && j < n; ++j)
        counted = sequence_[j].number == sequence_[0].number + j;
    std::string text;
    if (counted)
        text = Format("frame numbers count from %u (%u ... %zu), not from 0", at.number, at.number,
                      at.number + n - 1);
    else if (i == 0)
        text = Format("frame numbers start at %u, not at 0", at.number);
    else if (at.number == sequence_[i - 1].number)
        text = Format("frame number %u repeated", at.number) + where;
    else
        text =
            Format("frame numbers jump from %u to %u", sequence_[i - 1].number, at.number) + where;
    Add(at.section, data_ + at.offset, IldaDepartureKind::FrameNumbers, std::move(text));
}

void Checker::CheckTotals() {
    const size_t n = sequence_.size();
    const size_t expected = std::min(n, kMostFrames);
    const SequenceFrame* first = nullptr;
    size_t differing = 0;
    for (const SequenceFrame& frame : sequence_) {
        if (frame.total == expected)
            continue;
        if (first == nullptr)
            first = &frame;
        ++differing;
    }
    if (first == nullptr)
        return;
    std::string text = Format("total frames says %u, but the sequence has %zu %s", first->total, n,
                              Plural(n, "frame", "frames"));
    if (n > kMostFrames)
        text += Format(" (more than the field holds: %zu expected)", kMostFrames);
    if (differing > 1)
        text += Format("; %zu of its frames say other than %zu", differing, expected);
    Add(first->section, data_ + first->offset, IldaDepartureKind::TotalFrames, std::move(text));
}

} // namespace

const std::vector<IldaDepartureKindInfo>& IldaDepartureKinds() {
    static const std::vector<IldaDepartureKindInfo> kinds = {
#define TRELLION_ILDA_KIND_INFO(name, word, severity, meaning)                                     \
    {IldaDepartureKind::name, word, IldaSeverity::severity, meaning},
        TRELLION_ILDA_DEPARTURE_KINDS(TRELLION_ILDA_KIND_INFO)
#undef TRELLION_ILDA_KIND_INFO
    };
    return kinds;
}

const IldaDepartureKindInfo& IldaKindInfo(IldaDepartureKind kind) {
    return IldaDepartureKinds()[static_cast<size_t>(kind)];
}

const char* IldaSeverityWord(IldaSeverity severity) {
    switch (severity) {
    case IldaSeverity::Error:
        return "error";
    case IldaSeverity::Warning:
        return "warning";
    case IldaSeverity::Note:
        return "note";
    }
    return "error";
}

std::vector<IldaDeparture> CheckIlda(const uint8_t* data, size_t size) {
    return Checker(data, size).Run();
}

IldaDepartureCounts CountDepartures(const std::vector<IldaDeparture>& departures) {
    IldaDepartureCounts counts;
    for (const IldaDeparture& d : departures) {
        switch (d.Severity()) {
        case IldaSeverity::Error:
            ++counts.errors;
            break;
        case IldaSeverity::Warning:
            ++counts.warnings;
            break;
        case IldaSeverity::Note:
            ++counts.notes;
            break;
        }
    }
    return counts;
}
