#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What in ILDA data departs from the published ILDA standard, and where.
//
// The reader takes files as they are found and reads past what other programs get wrong; this
// lists those departures for the people who write and receive the files. Each has a kind (a
// stable word for scripts) and a severity:
//   error    a strict reader of the standard loses data or misreads the file;
//   warning  readers cope, but the file is not as the standard writes it;
//   note     worth knowing, not wrong.
//
// Sequences: the frames between one closing section (a header with no records) and the next,
// or the start or end of the data. Their frames count 0 ... N-1 and say N in total frames. A
// sequence of more than 65,535 frames cannot be counted in the 16-bit fields; for it the
// standard's own limits are expected: every frame says 65,535 in total frames, the numbers count
// 0, 1, ... up to 65,533 and stay there, and only the last frame says 65,534 (total - 1), so
// that readers which end a sequence at total - 1 read every frame. Palette sections (format 2)
// number palettes, not frames, and stand outside the sequences' counting.

enum class IldaSeverity { Error, Warning, Note };

// Every kind once: name, word, severity, what it means (for the help text and the README).
#define TRELLION_ILDA_DEPARTURE_KINDS(X)                                                           \
    X(CutOff, "cut_off", Error,                                                                    \
      "a section or header cut off by the end of the data (records counted, records present)")     \
    X(CountOverflow, "count_overflow", Error,                                                      \
      "a point count that overflowed 16 bits: where the counted records end no header follows, "   \
      "and one follows a multiple of 65,536 records later")                                        \
    X(EarlyLastPoint, "early_last_point", Error,                                                   \
      "the last-point bit on records before the last one of their section")                        \
    X(UnknownFormat, "unknown_format", Error,                                                      \
      "a format code the standard does not define (it defines 0, 1, 2, 4 and 5)")                  \
    X(NotAHeader, "not_a_header", Error,                                                           \
      "bytes that are not an ILDA header where the next header should be")                         \
    X(NoLastPoint, "no_last_point", Warning, "no last-point bit on a section's last record")       \
    X(FrameNumbers, "frame_numbers", Warning,                                                      \
      "frame numbers that do not count 0 ... N-1 through a sequence (from 1, repeated, jumping)")  \
    X(TotalFrames, "total_frames", Warning,                                                        \
      "a total frames field that differs from the number of frames of its sequence")               \
    X(NoClosingSection, "no_closing_section", Warning,                                             \
      "frames not followed by a closing section (a header with no records)")                       \
    X(ClosingFormat, "closing_format", Warning,                                                    \
      "a closing section of another format than the frames it closes")                             \
    X(BytesAfterEnd, "bytes_after_end", Warning,                                                   \
      "bytes after a closing section that are not an ILDA header")                                 \
    X(ReservedBytes, "reserved_bytes", Warning,                                                    \
      "reserved header bytes (4 to 6 and 31) that are not zero")                                   \
    X(NameField, "name_field", Warning,                                                            \
      "a name or company field that is not printable ASCII padded with spaces or zeros")           \
    X(MixedDimensions, "mixed_dimensions", Warning, "a file that mixes 2D and 3D sections")        \
    X(Palette, "palette", Note,                                                                    \
      "a palette section (format 2); colours always come from the chosen palette")                 \
    X(MixedFormats, "mixed_formats", Note, "sections of different formats in one sequence")

enum class IldaDepartureKind {
#define TRELLION_ILDA_KIND_ENUM(name, word, severity, meaning) name,
    TRELLION_ILDA_DEPARTURE_KINDS(TRELLION_ILDA_KIND_ENUM)
#undef TRELLION_ILDA_KIND_ENUM
};

struct IldaDepartureKindInfo {
    IldaDepartureKind kind;
    const char* word; // stable, for scripts: "early_last_point"
    IldaSeverity severity;
    const char* meaning; // one line, for people
};

// Every kind in the order of the table above: errors, warnings, notes.
[[nodiscard]] const std::vector<IldaDepartureKindInfo>& IldaDepartureKinds();
[[nodiscard]] const IldaDepartureKindInfo& IldaKindInfo(IldaDepartureKind kind);

// "error", "warning", "note".
[[nodiscard]] const char* IldaSeverityWord(IldaSeverity severity);

struct IldaDeparture {
    // The section it concerns, numbered from 1 in file order as `ListIldaSections` numbers
    // them; 0 for bytes before the first header.
    size_t section = 0;
    // Where it shows, from the start of the data: the header, the first record concerned, the
    // first byte that is not what it should be, or the end of the data for what is missing.
    size_t offset = 0;
    IldaDepartureKind kind = IldaDepartureKind::CutOff;
    std::string text; // what departs, in words, with the numbers that show it

    [[nodiscard]] IldaSeverity Severity() const { return IldaKindInfo(kind).severity; }
};

struct IldaDepartureCounts {
    size_t errors = 0;
    size_t warnings = 0;
    size_t notes = 0;
};

// The departures of the data from the standard, ordered by offset (for one offset, in the order
// found). Empty for data that conforms. Reads only the headers and the status byte of each
// record; never reads outside [data, data + size).
[[nodiscard]] std::vector<IldaDeparture> CheckIlda(const uint8_t* data, size_t size);

[[nodiscard]] IldaDepartureCounts CountDepartures(const std::vector<IldaDeparture>& departures);
