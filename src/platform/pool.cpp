// Release pools: the per-thread stack and the fallback pool.
#include "platform/pool.h"

#include <algorithm>
#include <utility>

namespace {

// Set once the thread's pools are gone (thread exit); later autoreleases are
// then kept alive for good rather than touching a destroyed stack.
thread_local bool t_poolsGone = false;

// The pools of one thread, innermost last, and what was autoreleased while
// the thread had no pool.
struct ThreadPools {
    std::vector<ORVAutoreleasePool *> stack;
    std::vector<ORVObject *> fallback;

    ~ThreadPools() {
        drainFallback();
        t_poolsGone = true;
    }

    void drainFallback() {
        // Releasing an object may autorelease others into the fallback pool.
        while (!fallback.empty()) {
            std::vector<ORVObject *> batch;
            batch.swap(fallback);
            for (ORVObject *obj : batch) obj->release();
        }
    }
};

ThreadPools &threadPools() {
    thread_local ThreadPools pools;
    return pools;
}

}  // namespace

struct PoolStackAccess {
    static void detach(ORVAutoreleasePool *pool) { pool->onStack_ = false; }
};

ORVAutoreleasePool::ORVAutoreleasePool() {
    ThreadPools &pools = threadPools();
    pools.stack.push_back(this);
    ownerStack_ = &pools;
}

ORVAutoreleasePool::~ORVAutoreleasePool() {
    if (onStack_ && !t_poolsGone) {
        auto &stack = static_cast<ThreadPools *>(ownerStack_)->stack;
        auto it = std::find(stack.begin(), stack.end(), this);
        if (it != stack.end()) {
            // Pools above this one end with it: empty them, innermost first,
            // and take them off the stack. Their owners still release them.
            while (stack.back() != this) {
                ORVAutoreleasePool *inner = stack.back();
                inner->drain();
                stack.pop_back();
                PoolStackAccess::detach(inner);
            }
            drain();
            stack.pop_back();
        } else {
            drain();
        }
    } else {
        drain();
    }
}

void ORVAutoreleasePool::addObject(ORVObject *obj) {
    if (obj) objects_.push_back(obj);
}

void ORVAutoreleasePool::drain() {
    // Objects released here may autorelease more objects into this pool.
    while (!objects_.empty()) {
        std::vector<ORVObject *> batch;
        batch.swap(objects_);
        for (ORVObject *obj : batch) obj->release();
    }
}

ORVAutoreleasePool *ORVAutoreleasePool::current() noexcept {
    auto &stack = threadPools().stack;
    return stack.empty() ? nullptr : stack.back();
}

std::size_t ORVAutoreleasePool::depth() noexcept { return threadPools().stack.size(); }

std::size_t ORVAutoreleasePool::fallbackCount() noexcept { return threadPools().fallback.size(); }

void ORVAutoreleasePool::drainFallback() { threadPools().drainFallback(); }

void ORVAutoreleasePool::autoreleaseObject(ORVObject *obj) {
    if (!obj || t_poolsGone) return;
    auto &pools = threadPools();
    if (pools.stack.empty())
        pools.fallback.push_back(obj);
    else
        pools.stack.back()->addObject(obj);
}
