#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

// Writes whole blocks of a file on a thread of its own, so that the caller fills its next
// block while the kernel copies the last one.
//
// The writer owns what it writes with: its own descriptor for the file (a duplicate of the one
// it was started with, closed when the writer goes), the buffer of the block it is writing and
// its thread. The caller hands over a full buffer and gets an empty one of the same capacity
// back; one block is written at a time, so handing over waits for the block before it.
//
// A failed write is kept: every later hand-over and wait fails and Error() gives the system's
// error number of the first failure. Blocks handed over after it are not written. Destroying
// the writer drops a block it has not started and waits for the one it is writing.
class CBackgroundWriter {
public:
    // A writer to the file open as `fd` (which stays the caller's), for buffers of `capacity`
    // bytes; with `startOnDisk`, each block written is also handed to the disk at once (see
    // WriteFileRange). Null when no descriptor, buffer or thread can be had.
    [[nodiscard]] static std::unique_ptr<CBackgroundWriter> Start(int fd, size_t capacity,
                                                                  bool startOnDisk);
    ~CBackgroundWriter();

    CBackgroundWriter(const CBackgroundWriter&) = delete;
    CBackgroundWriter& operator=(const CBackgroundWriter&) = delete;

    // Waits for the block before, then takes `size` bytes of `buffer` (capacity() bytes long)
    // to be written at `offset`, and leaves in `buffer` one of the same capacity to fill next.
    // False when a write has failed; `buffer` is then left as it was.
    [[nodiscard]] bool HandOver(std::unique_ptr<unsigned char[]>& buffer, size_t size,
                                uint64_t offset);

    // Waits until every block handed over is written; false when a write failed.
    [[nodiscard]] bool Wait();

    // The errno of the first failed write, 0 while none has failed.
    int Error();

private:
    CBackgroundWriter(int fd, std::unique_ptr<unsigned char[]> buffer, bool startOnDisk);
    void Run();

    const int fd_;
    const bool startOnDisk_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    size_t size_ = 0;
    uint64_t offset_ = 0;
    bool pending_ = false; // buffer_ holds a block not yet written
    bool stop_ = false;
    int error_ = 0;
    std::thread thread_; // last: started once everything above is set
};

// Writes all of [data, data + size) at `offset` of the file open as `fd`, going on after short
// writes and interruptions; with `startOnDisk` it then asks the kernel to start writing the
// range to the disk (only a hint: a later fsync decides). 0 when written, else the errno.
[[nodiscard]] int WriteFileRange(int fd, const void* data, size_t size, uint64_t offset,
                                 bool startOnDisk = false);
