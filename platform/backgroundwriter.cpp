#include "platform/backgroundwriter.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

int WriteFileRange(int fd, const void* data, size_t size, uint64_t offset, bool startOnDisk) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    const uint64_t start = offset;
    const size_t total = size;
    while (size > 0) {
        const ssize_t done = ::pwrite(fd, bytes, size, static_cast<off_t>(offset));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (done == 0)
            return EIO;
        bytes += done;
        size -= static_cast<size_t>(done);
        offset += static_cast<uint64_t>(done);
    }
    if (startOnDisk)
        (void)::sync_file_range(fd, static_cast<off_t>(start), static_cast<off_t>(total),
                                SYNC_FILE_RANGE_WRITE);
    return 0;
}

std::unique_ptr<CBackgroundWriter> CBackgroundWriter::Start(int fd, size_t capacity,
                                                            bool startOnDisk) {
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return nullptr;
    try {
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[capacity == 0 ? 1 : capacity]);
        return std::unique_ptr<CBackgroundWriter>(
            new CBackgroundWriter(own, std::move(buffer), startOnDisk));
    } catch (const std::exception&) {
        // The constructor closes its descriptor only once it has one for good.
        ::close(own);
        return nullptr;
    }
}

CBackgroundWriter::CBackgroundWriter(int fd, std::unique_ptr<unsigned char[]> buffer,
                                     bool startOnDisk)
    : fd_(fd), startOnDisk_(startOnDisk), buffer_(std::move(buffer)),
      thread_(&CBackgroundWriter::Run, this) {}

CBackgroundWriter::~CBackgroundWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
    ::close(fd_);
}

bool CBackgroundWriter::HandOver(std::unique_ptr<unsigned char[]>& buffer, size_t size,
                                 uint64_t offset) {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return !pending_; });
    if (error_ != 0)
        return false;
    buffer_.swap(buffer);
    size_ = size;
    offset_ = offset;
    pending_ = true;
    lock.unlock();
    wake_.notify_one();
    return true;
}

bool CBackgroundWriter::Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return !pending_; });
    return error_ == 0;
}

int CBackgroundWriter::Error() {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

void CBackgroundWriter::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || stop_; });
        // Stopped with a block still to write: the file is being dropped.
        if (stop_)
            return;
        const size_t size = size_;
        const uint64_t offset = offset_;
        lock.unlock();
        const int error = WriteFileRange(fd_, buffer_.get(), size, offset, startOnDisk_);
        lock.lock();
        pending_ = false;
        if (error_ == 0)
            error_ = error;
        done_.notify_all();
    }
}
