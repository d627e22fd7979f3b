// The lock of the configuration family: lookups, typed reads and listings
// from any number of threads at once, without writing any memory that
// another reader writes; changes (cf_set, reads of domain files, refreshes,
// imports, start and end of the module) one at a time, with no lookup in
// progress.
//
// Each reading thread announces itself in a slot of its own instead of in a
// shared counter. A writer raises a flag, waits until every slot is clear,
// changes what it changes and lowers the flag; a reader that finds the flag
// raised steps back and waits for the writer. A thread inside a section
// (read or write) that calls another function of the family runs it under
// the section it holds.
#pragma once

#include <atomic>
#include <utility>

namespace cf {

namespace lock_detail {

struct alignas(64) ReaderSlot {
    std::atomic<unsigned> active{0};
    std::atomic<bool> used{false};
};

// Per thread: its slot (claimed on the first read), and how deep it is in
// read and write sections.
struct ThreadSections {
    ReaderSlot *slot = nullptr;
    int reads = 0;
    int writes = 0;
};

extern thread_local constinit ThreadSections Sections
    __attribute__((tls_model("initial-exec")));
extern std::atomic<bool> Writing;
extern bool Light_fence_enough;

ReaderSlot *claim_slot();
void wait_for_writer() noexcept;

}  // namespace lock_detail

// True while the calling thread is inside a read or a write section.
inline bool in_section() noexcept {
    const auto &s = lock_detail::Sections;
    return s.reads != 0 || s.writes != 0;
}

// A read section for the life of the object; nothing when the thread holds
// a section already.
class ReadSection {
public:
    ReadSection() {
        auto &s = lock_detail::Sections;
        if (s.reads++ || s.writes) return;
        lock_detail::ReaderSlot *slot = s.slot ? s.slot : (s.slot = lock_detail::claim_slot());
        for (;;) {
            // The slot must be seen taken before the flag is read: a writer
            // either sees this slot taken or this thread sees its flag.
            if (lock_detail::Light_fence_enough) {
                slot->active.store(1, std::memory_order_relaxed);
                std::atomic_signal_fence(std::memory_order_seq_cst);
            } else {
                slot->active.store(1, std::memory_order_seq_cst);
            }
            if (!lock_detail::Writing.load(std::memory_order_seq_cst)) return;
            slot->active.store(0, std::memory_order_release);
            lock_detail::wait_for_writer();
        }
    }
    ~ReadSection() {
        auto &s = lock_detail::Sections;
        if (--s.reads || s.writes) return;
        s.slot->active.store(0, std::memory_order_release);
    }
    ReadSection(const ReadSection &) = delete;
    ReadSection &operator=(const ReadSection &) = delete;
};

// A write section for the life of the object; nothing when the thread holds
// a write section already. Never opened inside a read section of the same
// thread (it would wait for that thread's own read to end).
class WriteSection {
public:
    WriteSection();
    ~WriteSection();
    WriteSection(const WriteSection &) = delete;
    WriteSection &operator=(const WriteSection &) = delete;
};

// Runs body in a read section when ready() says, inside that section, that
// body will change nothing shared; otherwise in a write section, where body
// may read groups, rebuild indexes and load expansion terms as it needs. A
// call made inside a section runs under that section.
template <class Ready, class Body>
decltype(auto) read_call(Ready &&ready, Body &&body) {
    if (in_section()) return std::forward<Body>(body)();
    {
        ReadSection read;
        if (std::forward<Ready>(ready)()) return std::forward<Body>(body)();
    }
    WriteSection write;
    return std::forward<Body>(body)();
}

// Runs body in a write section.
template <class Body>
decltype(auto) write_call(Body &&body) {
    WriteSection write;
    return std::forward<Body>(body)();
}

}  // namespace cf
