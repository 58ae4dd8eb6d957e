#include "platform/outputfile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t DefaultFileMode() {
    // umask can only be read by setting it; put it straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

COutputFile::COutputFile(std::string target, size_t bufferSize)
    : target_(std::move(target)), capacity_(bufferSize == 0 ? 1 : bufferSize) {}

COutputFile::~COutputFile() {
    Abort();
}

bool COutputFile::Open() {
    Abort();
    failed_ = false;
    flushed_ = 0;
    used_ = 0;

    // Write beside the file a link points to, so the link itself survives the rename.
    std::string resolved = target_;
    struct stat existing {};
    bool exists = false;
    if (::lstat(target_.c_str(), &existing) == 0) {
        if (S_ISLNK(existing.st_mode)) {
            char real[PATH_MAX];
            if (::realpath(target_.c_str(), real) != nullptr)
                resolved = real;
        }
        if (::stat(resolved.c_str(), &existing) == 0) {
            exists = true;
            if (!S_ISREG(existing.st_mode) || ::access(resolved.c_str(), W_OK) != 0) {
                failed_ = true;
                return false;
            }
        }
    }

    std::string pattern = DirectoryOf(resolved) + "/." + BaseNameOf(resolved) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        failed_ = true;
        return false;
    }
    temporary_.assign(name.data());
    resolvedTarget_ = resolved;
    ::fchmod(fd_, exists ? (existing.st_mode & 07777) : DefaultFileMode());
    buffer_.resize(capacity_);
    return true;
}

bool COutputFile::WriteAll(const void* data, size_t size, uint64_t offset) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t done = ::pwrite(fd_, bytes, size, static_cast<off_t>(offset));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (done == 0)
            return false;
        bytes += done;
        size -= static_cast<size_t>(done);
        offset += static_cast<uint64_t>(done);
    }
    return true;
}

bool COutputFile::FlushBuffer() {
    if (used_ == 0)
        return true;
    if (!WriteAll(buffer_.data(), used_, flushed_)) {
        failed_ = true;
        return false;
    }
    flushed_ += used_;
    used_ = 0;
    return true;
}

bool COutputFile::Write(const void* data, size_t size) {
    if (failed_ || fd_ < 0) {
        failed_ = true;
        return false;
    }
    if (used_ + size > capacity_) {
        if (!FlushBuffer())
            return false;
        if (size >= capacity_) {
            if (!WriteAll(data, size, flushed_)) {
                failed_ = true;
                return false;
            }
            flushed_ += size;
            return true;
        }
    }
    if (size > 0)
        std::memcpy(buffer_.data() + used_, data, size);
    used_ += size;
    return true;
}

unsigned char* COutputFile::Append(size_t size) {
    if (failed_ || fd_ < 0 || size > capacity_) {
        failed_ = true;
        return nullptr;
    }
    if (used_ + size > capacity_ && !FlushBuffer())
        return nullptr;
    unsigned char* room = buffer_.data() + used_;
    used_ += size;
    return room;
}

bool COutputFile::WriteAt(uint64_t offset, const void* data, size_t size) {
    if (failed_ || fd_ < 0 || offset + size > Tell()) {
        failed_ = true;
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    // The part below the buffer is already in the file; the rest is patched in the buffer.
    if (offset < flushed_) {
        const size_t inFile = static_cast<size_t>(std::min<uint64_t>(size, flushed_ - offset));
        if (!WriteAll(bytes, inFile, offset)) {
            failed_ = true;
            return false;
        }
        bytes += inFile;
        size -= inFile;
        offset += inFile;
    }
    if (size > 0)
        std::memcpy(buffer_.data() + (offset - flushed_), bytes, size);
    return true;
}

bool COutputFile::Commit() {
    if (fd_ < 0 || failed_ || !FlushBuffer()) {
        Abort();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        failed_ = true;
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    if (::rename(temporary_.c_str(), resolvedTarget_.c_str()) != 0) {
        failed_ = true;
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    temporary_.clear();
    return true;
}

void COutputFile::Abort() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
    used_ = 0;
}
