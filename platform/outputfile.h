#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A file written in full or not at all.
//
// Open creates a temporary file in the target's directory; Write buffers the bytes and writes
// them in large blocks; Commit writes what is left, closes the file and renames it over the
// target in one step. Until Commit succeeds the target is untouched: on any failure (no room, a
// file size limit, a read-only target) the temporary file is removed and an existing target
// keeps every byte it had. A target that exists and may not be written by us is refused, so a
// read-only file is never replaced behind its owner's back. Destroying an uncommitted file
// aborts it.
class COutputFile {
public:
    explicit COutputFile(std::string target, size_t bufferSize = 1 << 20);
    ~COutputFile();

    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Creates the temporary file. False when the target may not be written or the temporary
    // file cannot be created.
    [[nodiscard]] bool Open();

    // Appends bytes. False once any write has failed; later writes then do nothing.
    bool Write(const void* data, size_t size);

    // Room for the next `size` bytes in the buffer, to be filled by the caller before any other
    // call; they count as written from here on. Null when size exceeds BufferCapacity() or when
    // a write has failed (making room may flush the buffer).
    unsigned char* Append(size_t size);
    size_t BufferCapacity() const { return capacity_; }

    // Overwrites bytes already written at an earlier offset (patching a table written ahead of
    // the data). The range must lie below Tell().
    bool WriteAt(uint64_t offset, const void* data, size_t size);

    // Bytes written so far.
    uint64_t Tell() const { return flushed_ + used_; }

    // Writes the rest, closes the file and puts it in place of the target. False on any failure,
    // in which case the temporary file is gone and the target is as it was.
    [[nodiscard]] bool Commit();

    // Discards everything written; the target stays as it was.
    void Abort();

    bool Failed() const { return failed_; }
    const std::string& Target() const { return target_; }

private:
    bool FlushBuffer();
    bool WriteAll(const void* data, size_t size, uint64_t offset);

    std::string target_;
    std::string resolvedTarget_;
    std::string temporary_;
    std::vector<unsigned char> buffer_; // capacity_ bytes once open, used_ of them written
    size_t used_ = 0;
    size_t capacity_;
    uint64_t flushed_ = 0;
    int fd_ = -1;
    bool failed_ = false;
};
