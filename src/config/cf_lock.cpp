// The lock of the configuration family: the registry of reader slots, the
// writer's side, and the process-wide barrier that lets readers do without a
// full fence.
#include "config/cf_lock.h"

#include <linux/membarrier.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cassert>
#include <deque>
#include <mutex>
#include <thread>

namespace cf::lock_detail {

namespace {

// Every slot ever claimed; slots of ended threads are reused. Never
// destroyed, so that threads ending after the library's static objects
// still find it.
struct Registry {
    std::mutex mutex;
    std::deque<ReaderSlot> slots;
};

Registry &registry() {
    static Registry *const instance = new Registry;
    return *instance;
}

// Held by the writing thread for the length of its section; readers that
// found the flag raised wait on it.
std::mutex &writer_mutex() {
    static std::mutex *const instance = new std::mutex;
    return *instance;
}

// Gives the slot of an ending thread back.
struct SlotRelease {
    ~SlotRelease() {
        if (ReaderSlot *slot = Sections.slot) slot->used.store(false, std::memory_order_release);
    }
};
thread_local SlotRelease Release_at_exit;

// Asks the kernel to order memory on every thread of the process at once
// (registered when the library is loaded, so it does not fail).
void process_barrier() noexcept {
    syscall(SYS_membarrier, MEMBARRIER_CMD_PRIVATE_EXPEDITED, 0, 0);
}

bool register_process_barrier() noexcept {
#if defined(__SANITIZE_THREAD__)
    // The race detector does not see the kernel's barrier; readers fence.
    return false;
#else
    return syscall(SYS_membarrier, MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED, 0, 0) == 0;
#endif
}

}  // namespace

thread_local constinit ThreadSections Sections __attribute__((tls_model("initial-exec")));
std::atomic<bool> Writing{false};
// True when writers order readers' memory with the process-wide barrier, so
// that a reader needs only to keep the compiler from reordering. Fixed when
// the library is loaded, before any thread can read.
bool Light_fence_enough = register_process_barrier();

ReaderSlot *claim_slot() {
    Registry &r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    (void)&Release_at_exit;  // constructs the thread's releaser
    for (ReaderSlot &slot : r.slots) {
        bool expected = false;
        if (slot.used.compare_exchange_strong(expected, true, std::memory_order_acq_rel))
            return &slot;
    }
    ReaderSlot &added = r.slots.emplace_back();
    added.used.store(true, std::memory_order_relaxed);
    return &added;
}

void wait_for_writer() noexcept {
    std::lock_guard<std::mutex> guard(writer_mutex());
}

}  // namespace cf::lock_detail

namespace cf {

using namespace lock_detail;

WriteSection::WriteSection() {
    auto &s = Sections;
    if (s.writes++) return;
    // A write opened inside a read of the same thread would wait for itself.
    assert(s.reads == 0);
    writer_mutex().lock();
    Writing.store(true, std::memory_order_seq_cst);
    if (Light_fence_enough) process_barrier();
    Registry &r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    for (ReaderSlot &slot : r.slots)
        while (slot.active.load(std::memory_order_seq_cst)) std::this_thread::yield();
}

WriteSection::~WriteSection() {
    auto &s = Sections;
    if (--s.writes) return;
    Writing.store(false, std::memory_order_release);
    writer_mutex().unlock();
}

}  // namespace cf
