#include "model/pagepopulator.h"

#include <cerrno>
#include <system_error>
#include <thread>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__linux__) && !defined(MADV_POPULATE_WRITE)
#define MADV_POPULATE_WRITE 23
#endif

namespace {

// 0 when done; an errno value otherwise.
int PopulateWritable(void* start, std::size_t size) {
#if defined(__linux__)
    return ::madvise(start, size, MADV_POPULATE_WRITE) == 0 ? 0 : errno;
#else
    (void)start;
    (void)size;
    return ENOSYS;
#endif
}

} // namespace

PagePopulator& PagePopulator::Instance() {
    // Never destroyed: the helper may still be waiting on its members while static destructors
    // run at exit.
    static PagePopulator* const instance = new PagePopulator;
    return *instance;
}

PagePopulator::PagePopulator() {
    usable_ = true;
    try {
        std::thread(&PagePopulator::Run, this).detach();
    } catch (const std::system_error&) {
        usable_ = false;
    }
}

bool PagePopulator::Populate(void* start, std::size_t size) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!usable_ || !enabled_ || queued_ == kQueued)
            return false;
        queue_[queued_++] = {start, size};
    }
    work_.notify_one();
    return true;
}

void PagePopulator::Claim(void* start) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (int i = 0; i < queued_; ++i) {
        if (queue_[i].start == start) {
            RemoveQueued(i);
            return;
        }
    }
    idle_.wait(lock, [this, start] { return busy_ != start; });
}

void PagePopulator::Cancel() {
    std::unique_lock<std::mutex> lock(mutex_);
    queued_ = 0;
    idle_.wait(lock, [this] { return busy_ == nullptr; });
}

void PagePopulator::SetEnabled(bool enabled) {
    std::lock_guard<std::mutex> lock(mutex_);
    enabled_ = enabled;
}

std::size_t PagePopulator::PopulatedCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return populated_;
}

void PagePopulator::RemoveQueued(int at) {
    for (int i = at + 1; i < queued_; ++i)
        queue_[i - 1] = queue_[i];
    --queued_;
}

void PagePopulator::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return queued_ > 0; });
        const Range range = queue_[0];
        RemoveQueued(0);
        busy_ = range.start;
        lock.unlock();
        const int error = PopulateWritable(range.start, range.size);
        lock.lock();
        busy_ = nullptr;
        if (error == 0) {
            ++populated_;
        } else if (error == EINVAL || error == ENOSYS) {
            // A kernel without populate on request (before Linux 5.14): nothing more to do here.
            usable_ = false;
            queued_ = 0;
        }
        idle_.notify_all();
    }
}
