#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CBackgroundWriter;

// A file written in full or not at all.
//
// Open creates the file to be in the target's directory; Write buffers the bytes and writes
// them in large blocks; Commit writes what is left and puts the file in place of the target in
// one step. Until Commit succeeds the target is untouched: on any failure (no room, a file size
// limit, a read-only target) the new file is dropped and an existing target keeps every byte it
// had. A target that exists and may not be written by us is refused, so a read-only file is
// never replaced behind its owner's back. Destroying an uncommitted file aborts it.
//
// The new file has no name until it is complete (an unnamed temporary file), so a process
// killed at any moment leaves nothing behind in the directory. Where the file system has no
// unnamed files, a hidden temporary file ".NAME.XXXXXX" beside the target is used instead;
// RemoveTemporariesOnTermination makes SIGINT and SIGTERM remove those.
//
// When the target exists, Commit forces the new bytes to disk before they replace it and the
// directory after, so that a crash leaves the old file or the new one, never an empty file. A
// new file is not forced: there is nothing to lose, and batch conversions stay fast. The disk
// is set to work on a replacing file's bytes as each block is written, so that little is left
// for Commit to wait for.
//
// A file larger than the buffer is written by a background writer of the file's own
// (platform/backgroundwriter.h): a full buffer goes to it while the caller fills a second one,
// so that formatting and the kernel's copying of the bytes overlap. A failed background write
// is seen by the next call that hands over or waits (Write, Append, WriteAt, Commit), which then
// fails as the write itself would have.
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
    // Why the file failed: the system's error number (errno) of the first failure, 0 while it
    // has not failed or when it failed for a misuse of its own (WriteAt past Tell); and whether
    // that failure is the destination's (see LastOutputFailure) rather than this file's.
    int Error() const { return error_; }
    bool DestinationFailed() const { return destinationFailed_; }

    // Installs handlers for SIGINT and SIGTERM that remove every named temporary file of this
    // process and then end it by the same signal. For programs that have no handlers of their
    // own for these signals.
    static void RemoveTemporariesOnTermination();

    // Whether Open tries unnamed temporary files first (true at start). Turned off, Open always
    // uses the named fallback, as on a file system without unnamed files.
    static void SetUnnamedTemporaries(bool use);

    // Whether output files hand full buffers to a background writer (true at start). Turned
    // off, the caller writes every block itself, as where no thread can be started. For
    // benchmarks; to be changed only while no file is being written.
    static void SetBackgroundWriting(bool use);

private:
    // Writes what the buffer holds, handing it to the background thread when `handOver`; a
    // write of its own goes to another range than the thread's, so it need not wait for it.
    bool FlushBuffer(bool handOver = true);
    bool HandOver();
    bool WaitForBackground();
    void StopBackground();
    bool WriteAll(const void* data, size_t size, uint64_t offset);
    bool WriteRange(const void* data, size_t size, uint64_t offset);
    // Marks the file failed for the system error `error` (the first one is kept) and records
    // it as this thread's last output failure. Always false.
    bool Fail(int error, bool destination);
    // Fail for an error of the destination directory, when IsDestinationError says so.
    bool FailIn(int error) { return Fail(error, IsDestinationError(error)); }
    bool OpenNamedTemporary(const std::string& directory, const std::string& base);
    bool PutInPlace();
    bool LinkUnnamed(const std::string& name);
    void ForgetTemporary();

    std::string target_;
    std::string resolvedTarget_;
    std::string temporary_;
    std::unique_ptr<unsigned char[]> buffer_; // capacity_ bytes once open, used_ of them written
    size_t used_ = 0;
    size_t capacity_;
    uint64_t flushed_ = 0;
    int fd_ = -1;
    int cleanupSlot_ = -1; // the named temporary's entry in the termination cleanup table
    bool failed_ = false;
    bool replacing_ = false; // the target existed when the file was opened
    // From the first hand-over until Commit or Abort.
    std::unique_ptr<CBackgroundWriter> background_;
    bool backgroundUnavailable_ = false; // no writer could be started
    int error_ = 0;
    bool destinationFailed_ = false;

public:
    // Whether a system error met while creating, writing or putting a file in place is the
    // destination's: its directory cannot be written (EACCES, EPERM, EROFS), is gone or is no
    // directory (ENOENT, ENOTDIR), or has no room left (ENOSPC, EDQUOT). Every other file
    // written there would fail alike. Other errors (EFBIG, ENAMETOOLONG, EISDIR, ...) are the
    // file's own.
    [[nodiscard]] static bool IsDestinationError(int error);
};

// The last output file of the calling thread that failed since ClearLastOutputFailure: its
// target, its Error() and whether the destination was at fault. Code that reports a failed
// write with a fixed text (the scene and ILDA writers) gives its caller no reason; the caller
// finds it here. error is 0 when no output file has failed since the clear (the writer then
// failed for a reason of its own, before or after the file).
struct COutputFailure {
    std::string target;
    int error = 0;
    bool destination = false;
};
[[nodiscard]] COutputFailure LastOutputFailure();
void ClearLastOutputFailure();
