#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class COutputFile;

// The open scene file that the serialize routines move their fields through: either an output
// file being written or a byte span being read.
//
// Writing goes straight to the COutputFile (which buffers and commits). Reading never goes
// beyond the span, and bounds the total number of bytes read to the span's size: in a well-formed
// file every byte belongs to exactly one record, so a file whose offsets make records overlap
// cannot multiply itself into more objects than its own size allows.
//
// Reading also bounds the model it builds: every object made for the file is charged against
// a budget of kModelBytesPerFileByte bytes for each byte of the span (plus kModelBytesBase), so
// that no input, however its counts are crafted, costs more than a small multiple of its size.
// Real files stay far below the bound: their bulk is vertices, 21 bytes each in the file.
//
// The first failure is kept with a one-line reason; every later call then fails too.
class CSceneStream {
public:
    static constexpr uint64_t kModelBytesPerFileByte = 10;
    static constexpr uint64_t kModelBytesBase = 1u << 20;

    // A stream writing into `out`, which must be open.
    explicit CSceneStream(COutputFile& out);
    // A stream reading `bytes`, positioned at its first byte. The bytes must outlive the stream.
    explicit CSceneStream(std::span<const uint8_t> bytes);

    CSceneStream(const CSceneStream&) = delete;
    CSceneStream& operator=(const CSceneStream&) = delete;

    [[nodiscard]] bool Writing() const { return out_ != nullptr; }

    // Appends size bytes (writing streams only).
    bool Write(const void* data, size_t size);
    // Room for the next size bytes of the output, to be filled before any other call (writing
    // streams only; size at most MaxAppend()). Null once the stream has failed.
    uint8_t* Append(size_t size);
    [[nodiscard]] size_t MaxAppend() const;
    // Overwrites bytes written earlier, below Tell() (writing streams only).
    bool WriteAt(uint64_t offset, const void* data, size_t size);
    // Copies the next size bytes into data (reading streams only). False, with data untouched,
    // when fewer than size bytes remain.
    bool Read(void* data, size_t size);
    // Moves the read position to an absolute offset, which must lie within the span.
    bool Seek(uint64_t offset);

    // The current absolute position.
    [[nodiscard]] uint64_t Tell() const;
    // How many more bytes a read may take from here: the smaller of what is left after the
    // position and what is left of the whole read's budget.
    [[nodiscard]] uint64_t Remaining() const;
    // The bytes after the position, whatever the budget says.
    [[nodiscard]] uint64_t BytesAfter() const { return out_ != nullptr ? 0 : size_ - position_; }

    // Charges count objects of objectSize bytes each against the model budget before they are
    // made (reading streams). False, recording a reason that names `what`, when the budget
    // cannot hold them.
    bool ChargeModel(uint64_t count, uint64_t objectSize, const std::string& what);

    // Records a failure (the first reason wins) and returns false.
    bool Fail(const std::string& reason);
    [[nodiscard]] bool Failed() const { return failed_; }
    [[nodiscard]] const std::string& Error() const { return error_; }

private:
    COutputFile* out_ = nullptr;
    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
    uint64_t position_ = 0;
    uint64_t consumed_ = 0;
    uint64_t modelBytes_ = 0;
    bool failed_ = false;
    std::string error_;
};
