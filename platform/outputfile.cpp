#include "platform/outputfile.h"

#include "platform/backgroundwriter.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
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

// Named temporary files of this process, for removal when a signal ends it. A signal handler
// may only read what is there, so the names live in fixed slots: a slot is claimed (1), filled,
// then published (2); the handler unlinks published names only.
constexpr int kCleanupSlots = 16;
struct CleanupSlot {
    std::atomic<int> state{0};
    char path[PATH_MAX];
};
CleanupSlot cleanupSlots[kCleanupSlots];

// The slot now holding path, or -1 when none was free (the file then stays without cleanup).
int RememberTemporary(const std::string& path) {
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kCleanupSlots; ++i) {
        int expected = 0;
        if (!cleanupSlots[i].state.compare_exchange_strong(expected, 1))
            continue;
        std::memcpy(cleanupSlots[i].path, path.c_str(), path.size() + 1);
        cleanupSlots[i].state.store(2);
        return i;
    }
    return -1;
}

void ForgetSlot(int slot) {
    if (slot >= 0)
        cleanupSlots[slot].state.store(0);
}

extern "C" void RemoveTemporariesAndEnd(int signal) {
    for (CleanupSlot& slot : cleanupSlots) {
        if (slot.state.load() == 2)
            ::unlink(slot.path);
    }
    // The handler was reset on entry and the signal is not blocked: this ends the process the
    // way the signal would have.
    ::raise(signal);
}

std::atomic<bool> unnamedTemporaries{true};
std::atomic<bool> backgroundWriting{true};

thread_local COutputFailure lastFailure;

// A name for a link to the finished file, unlikely to exist; the caller retries on EEXIST.
std::string TemporaryName(const std::string& directory, const std::string& base) {
    static std::atomic<unsigned> counter{0};
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    unsigned long long seed = static_cast<unsigned long long>(now.tv_nsec) ^
                              (static_cast<unsigned long long>(::getpid()) << 20) ^
                              (static_cast<unsigned long long>(counter.fetch_add(1)) << 40);
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = directory + "/." + base + ".";
    for (int i = 0; i < 6; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        name += letters[(seed >> 33) % 62];
    }
    return name;
}

// Makes a rename or link in the directory durable. Failures are not reported: by then the file
// is in place, and a file system that cannot sync a directory has nothing more to offer.
void SyncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
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
    error_ = 0;
    destinationFailed_ = false;
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
            // Refusing this one file; only a read-only file system stops every other file too.
            if (!S_ISREG(existing.st_mode))
                return Fail(S_ISDIR(existing.st_mode) ? EISDIR : EINVAL, false);
            if (::access(resolved.c_str(), W_OK) != 0)
                return Fail(errno, errno == EROFS);
        }
    }

    // Unnamed first: nothing of it is seen in the directory before Commit, whatever ends the
    // process. File systems without unnamed files refuse the flag, and the named fallback runs.
    const std::string directory = DirectoryOf(resolved);
    if (unnamedTemporaries.load())
        fd_ = ::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd_ < 0 && !OpenNamedTemporary(directory, BaseNameOf(resolved)))
        return FailIn(errno);
    resolvedTarget_ = resolved;
    replacing_ = exists;
    ::fchmod(fd_, exists ? (existing.st_mode & 07777) : DefaultFileMode());
    // Left uninitialised: only the part a small file uses is ever touched.
    if (!buffer_)
        buffer_.reset(new unsigned char[capacity_]);
    return true;
}

bool COutputFile::OpenNamedTemporary(const std::string& directory, const std::string& base) {
    std::string pattern = directory + "/." + base + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0)
        return false;
    temporary_.assign(name.data());
    cleanupSlot_ = RememberTemporary(temporary_);
    return true;
}

bool COutputFile::WriteAll(const void* data, size_t size, uint64_t offset) {
    const int error = WriteFileRange(fd_, data, size, offset);
    errno = error;
    return error == 0;
}

bool COutputFile::WriteRange(const void* data, size_t size, uint64_t offset) {
    // A replacing file is forced to disk before its rename; starting on each block now lets the
    // disk work while the rest is formatted. Only a hint: Commit's fsync decides.
    const int error = WriteFileRange(fd_, data, size, offset, replacing_);
    errno = error;
    return error == 0;
}

bool COutputFile::FlushBuffer(bool handOver) {
    if (used_ == 0)
        return true;
    if (handOver && HandOver())
        return !failed_;
    if (failed_)
        return false;
    if (!WriteRange(buffer_.get(), used_, flushed_))
        return FailIn(errno);
    flushed_ += used_;
    used_ = 0;
    return true;
}

bool COutputFile::HandOver() {
    if (backgroundUnavailable_ || !backgroundWriting.load())
        return false;
    if (!background_) {
        background_ = CBackgroundWriter::Start(fd_, capacity_, replacing_);
        if (!background_) {
            // No thread, buffer or descriptor for it: the caller writes for itself.
            backgroundUnavailable_ = true;
            return false;
        }
    }
    if (!background_->HandOver(buffer_, used_, flushed_)) {
        FailIn(background_->Error());
        return true;
    }
    flushed_ += used_;
    used_ = 0;
    return true;
}

bool COutputFile::WaitForBackground() {
    if (!background_ || background_->Wait())
        return true;
    FailIn(background_->Error());
    return false;
}

void COutputFile::StopBackground() {
    background_.reset();
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
            if (!WriteRange(data, size, flushed_))
                return FailIn(errno);
            flushed_ += size;
            return true;
        }
    }
    if (size > 0)
        std::memcpy(buffer_.get() + used_, data, size);
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
    unsigned char* room = buffer_.get() + used_;
    used_ += size;
    return room;
}

bool COutputFile::WriteAt(uint64_t offset, const void* data, size_t size) {
    if (failed_ || fd_ < 0 || offset + size > Tell()) {
        failed_ = true;
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    // The part below the buffer is in the file, or on its way there: the patch must land after
    // the block it falls in. The rest is patched in the buffer.
    if (offset < flushed_) {
        if (!WaitForBackground())
            return false;
        const size_t inFile = static_cast<size_t>(std::min<uint64_t>(size, flushed_ - offset));
        if (!WriteAll(bytes, inFile, offset))
            return FailIn(errno);
        bytes += inFile;
        size -= inFile;
        offset += inFile;
    }
    if (size > 0)
        std::memcpy(buffer_.get() + (offset - flushed_), bytes, size);
    return true;
}

bool COutputFile::Commit() {
    // The bytes reach the disk before they replace a file, so a crash cannot leave an empty
    // file where the old one was.
    // The last bytes are written here: there is nothing left to overlap them with.
    const bool written = fd_ >= 0 && !failed_ && WaitForBackground() && FlushBuffer(false);
    StopBackground();
    if (!written || (replacing_ && ::fsync(fd_) != 0) || !PutInPlace()) {
        // Abort's own calls would overwrite the reason.
        if (written)
            FailIn(errno);
        failed_ = true;
        Abort();
        return false;
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (replacing_)
        SyncDirectory(DirectoryOf(resolvedTarget_));
    return true;
}

bool COutputFile::PutInPlace() {
    if (temporary_.empty()) {
        // An unnamed file: a new target is its first name, which links it in one step.
        if (!replacing_) {
            if (LinkUnnamed(resolvedTarget_))
                return true;
            if (errno != EEXIST)
                return false;
            // The target appeared meanwhile: it is replaced like one that was there.
            replacing_ = true;
            if (::fsync(fd_) != 0)
                return false;
        }
        // A link cannot replace a file; a rename can. The file gets a hidden name first.
        const std::string directory = DirectoryOf(resolvedTarget_);
        const std::string base = BaseNameOf(resolvedTarget_);
        for (int attempt = 0; temporary_.empty(); ++attempt) {
            const std::string name = TemporaryName(directory, base);
            cleanupSlot_ = RememberTemporary(name);
            if (LinkUnnamed(name)) {
                temporary_ = name;
                break;
            }
            ForgetSlot(cleanupSlot_);
            cleanupSlot_ = -1;
            if (errno != EEXIST || attempt >= 100)
                return false;
        }
    } else {
        // A named file is closed first, where a file system reports late write failures.
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            return false;
    }
    if (::rename(temporary_.c_str(), resolvedTarget_.c_str()) != 0)
        return false;
    ForgetTemporary();
    return true;
}

bool COutputFile::LinkUnnamed(const std::string& name) {
    // Through /proc any user may link an unnamed file of its own; the direct form needs a
    // privilege, but does without /proc.
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd_);
    if (::linkat(AT_FDCWD, self, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    return ::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0;
}

void COutputFile::ForgetTemporary() {
    ForgetSlot(cleanupSlot_);
    cleanupSlot_ = -1;
    temporary_.clear();
}

void COutputFile::Abort() {
    // A block the writer has not started is dropped; one it is writing is waited for, so that
    // nothing more reaches the file once it is gone.
    StopBackground();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    ForgetTemporary();
    used_ = 0;
}

void COutputFile::RemoveTemporariesOnTermination() {
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool COutputFile::Fail(int error, bool destination) {
    if (error_ == 0 && error != 0) {
        error_ = error;
        destinationFailed_ = destination;
        lastFailure = COutputFailure{target_, error, destination};
    }
    failed_ = true;
    return false;
}

bool COutputFile::IsDestinationError(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOENT:
    case ENOTDIR:
    case ENOSPC:
    case EDQUOT:
        return true;
    default:
        return false;
    }
}

COutputFailure LastOutputFailure() {
    return lastFailure;
}

void ClearLastOutputFailure() {
    lastFailure = COutputFailure{};
}

void COutputFile::SetUnnamedTemporaries(bool use) {
    unnamedTemporaries.store(use);
}

void COutputFile::SetBackgroundWriting(bool use) {
    backgroundWriting.store(use);
}
