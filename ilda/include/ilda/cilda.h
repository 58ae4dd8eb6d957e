#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CChannel;
class CFrame;
class COutputFile;
class NearestColourTable;

// One ILDA file being read into a channel or a channel being written as an ILDA file.
//
// Reading takes the point sections of formats 0 (3D) and 1 (2D), indexed colour, and 4 (3D) and
// 5 (2D), true colour; each that holds points becomes a frame of the channel holding one thing
// whose free vertices are all the section's counted records in file order. The last-point bit,
// the frame number and the total frames end nothing and select nothing; a section of no points
// closes a sequence, adds no frame, and reading goes on with any later section. Bytes after a
// section that are no header are passed over up to the next "ILDA". A count that overflowed 16
// bits is followed to where the section really ends (see MeasureIldaSection). Colours always come
// from the chosen palette: an index is looked up in it, a true colour becomes its nearest entry,
// and a black true-colour point is blanked. Palette sections (format 2) and sections of other
// formats are passed over. Writing always produces format 0 closed by an end section; each frame
// section marks its last record with the last-point bit, and a frame without points is written as
// one blanked point at the origin, so that it reads back as a frame.
//
// A fresh object serves one file: one Load, optionally followed by one Save of the loaded
// channel.
class CIlda {
public:
    CIlda();
    virtual ~CIlda();

    CIlda(const CIlda&) = delete;
    CIlda& operator=(const CIlda&) = delete;

    // Appends one empty frame to the channel, reads the whole file and parses it into the
    // channel with palette `paletteIndex` (0-2). A file that cannot be opened or read (missing,
    // no regular file, no permission) is reported as "Cannot open Ilda file." (error type, OK
    // button) and gives false; the channel then keeps the one empty frame. Otherwise true, also
    // for data that stops parsing early: what was read so far stays. When memory runs out (for
    // the file's bytes or for the model) std::bad_alloc is thrown and nothing is reported.
    [[nodiscard]] bool Load(const std::string& name, CChannel* channel, int32_t paletteIndex);

    // Lets go of the file's bytes that Load keeps (for a listing of its sections); the model
    // holds everything loaded from them. A conversion calls it before it writes, so that the
    // file's bytes are not held beside the model while the scene file is written.
    void ReleaseInput();

    // Load over bytes in memory: the same steps without the file. The bytes are parsed in
    // place during the call and are not kept (Input stays empty). Always true.
    bool LoadBytes(const uint8_t* data, size_t size, CChannel* channel, int32_t paletteIndex);

    // Reads the file's bytes as Load does, without parsing them, for Input to give: false when
    // the file cannot be opened, is no regular file or fails to read (nothing is reported);
    // std::bad_alloc when its bytes cannot be held in memory. Only the bytes actually read
    // count, fewer than the file's size said when it shrank or says more than it holds.
    [[nodiscard]] bool ReadWholeFile(const std::string& name);

    // The bytes the last Load or ReadWholeFile read, held until ReleaseInput or the next read;
    // empty when there are none.
    [[nodiscard]] std::span<const uint8_t> Input() const;

    // How far into its data the last Load or LoadBytes parsed: where the data ended or stopped
    // making sense, never beyond its size. 0 before a load and after ReleaseInput.
    [[nodiscard]] size_t ParsedBytes() const;

    // Writes the channel as a format-0 ILDA file with palette `paletteIndex`. The file appears
    // complete or not at all: the bytes go to a temporary file beside the target that replaces
    // it only once everything is written. When the file cannot be created or written,
    // "Cannot open Ilda file." is reported (information type, OK button), an existing target
    // keeps its bytes, and the result is false. A channel with a frame of more than 65,535
    // points (see CFrame::PointCount) is not written at all, as a section's count cannot hold
    // them: "Cannot open Ilda file." followed by the frame's number and points is reported the
    // same way, nothing is created and the result is false.
    [[nodiscard]] bool Save(const std::string& name, CChannel* channel, int32_t paletteIndex);

    // Save into memory: the bytes Save would write for the channel; none (an empty vector, never
    // a file) for a channel Save would refuse for a frame of more than 65,535 points.
    [[nodiscard]] std::vector<uint8_t> SaveBytes(CChannel* channel, int32_t paletteIndex);

private:
    // Steps of Load. Parse runs section after section from `cursor_` until the data ends or
    // stops making sense; false when it stopped early. The section parsers decode the section at
    // `cursor_` into a frame (none when not one whole record is there); false when a record is
    // cut off or the model could not grow. SkipSection steps over the header at `cursor_` and
    // scans for the next "ILDA"; false when there is none. StepOverStrayBytes moves `cursor_`
    // from bytes that are no header to the next "ILDA"; false when there is none (`cursor_` is
    // then `end_`) or when `cursor_` is at a header cut off by the end of the data.
    bool Parse(CChannel* channel);
    bool ParseSection3D(CChannel* channel);
    bool ParseSection2D(CChannel* channel);
    bool ParseSectionTrueColour3D(CChannel* channel);
    bool ParseSectionTrueColour2D(CChannel* channel);
    bool SkipSection();
    bool StepOverStrayBytes();

    // Steps of Save. CreateOutput opens the (temporary) output; WriteFrame and WriteEndSection
    // add one section (nothing without an open output or SaveBytes running), WritePoint one
    // record of the frame being written, its colour as the palette's entry `nearest` finds.
    bool CreateOutput(const std::string& name);
    void WriteFrame(CChannel* channel, CFrame* frame);
    void WritePoint(const NearestColourTable& nearest, uint8_t blank, uint32_t colour, float x,
                    float y, float z);
    void WriteEndSection(CChannel* channel);

    template <int Format> bool ParseSectionOf(CChannel* channel);
    bool StepOverPaletteSection();
    void Emit(const uint8_t* data, size_t size);

    const uint8_t* begin_ = nullptr;      // the first byte of the data being parsed
    const uint8_t* cursor_ = nullptr;     // read position inside the data
    const uint8_t* end_ = nullptr;        // one past the last byte of the data
    std::unique_ptr<uint8_t[]> buffer_;   // the whole file, once read
    std::unique_ptr<COutputFile> output_; // the output file while saving
    int32_t palette_ = 0;
    // The section being written, flushed to `output_` as one piece.
    std::vector<uint8_t> section_;
    // Where SaveBytes collects the file; null otherwise.
    std::vector<uint8_t>* memoryOutput_ = nullptr;
};
