#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>

// Faults in anonymous memory on a thread of its own, ahead of the thread that will write it.
//
// A freshly mapped block costs its first writer the kernel's work of finding and zeroing its
// pages; for the hundreds of megabytes a large file's vertices take, that is as long as the
// whole parse. The vertex pool maps blocks before it needs them and queues them here, so that
// the zeroing runs on another core while the parse fills the block before them.
//
// The helper asks the kernel to populate a range (MADV_POPULATE_WRITE) and never reads or
// writes the memory itself. Its owner claims a range before writing it: a range the helper has
// not started is taken back and faulted in by its writer as usual, so that the two threads
// share the work when the helper falls behind; a range it is working on is waited for, since
// a writer faulting the same huge page would zero a second one only to throw it away. Where the
// kernel cannot populate on request, or no thread can be started, nothing is populated ahead
// and every page is faulted in by its writer.
class PagePopulator {
public:
    // The process's populator, started on first use; it lives until the process ends.
    static PagePopulator& Instance();

    // Queues [start, start + size) to be populated; false (nothing queued) when the populator
    // cannot work or its queue is full.
    bool Populate(void* start, std::size_t size);

    // Before the owner writes a range it queued: takes it off the queue if the helper has not
    // started it, or waits until the helper has finished it.
    void Claim(void* start);

    // Forgets every queued range and waits until the helper has finished the range it is
    // working on, so that the caller may unmap memory it had queued.
    void Cancel();

    // Ranges the helper populated so far, for tests and benchmarks.
    std::size_t PopulatedCount();

    // Whether Populate queues anything (true at start); off, every page is faulted in by its
    // writer, as where the kernel cannot populate on request. For benchmarks and tests.
    void SetEnabled(bool enabled);

    PagePopulator(const PagePopulator&) = delete;
    PagePopulator& operator=(const PagePopulator&) = delete;

private:
    PagePopulator();
    void Run();
    void RemoveQueued(int at);

    struct Range {
        void* start;
        std::size_t size;
    };
    static constexpr int kQueued = 8;

    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable idle_;
    Range queue_[kQueued] = {};
    int queued_ = 0;
    void* busy_ = nullptr; // the start of the range being populated
    bool usable_ = false;  // the helper runs and the kernel populates on request
    bool enabled_ = true;
    std::size_t populated_ = 0;
};
