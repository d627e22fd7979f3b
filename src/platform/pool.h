// Release pools: a per-thread stack of pools that hold one reference to each
// temporary object until the pool is destroyed.
//
// A new pool becomes the innermost pool of the thread that created it.
// autorelease puts an object into the innermost pool; when the thread has no
// pool the object goes into the thread's fallback pool, which is drained when
// the thread ends. Destroying a pool that is not innermost destroys the pools
// above it first, as nesting requires. A pool belongs to the stack of the
// thread that made it, even when another thread releases it.
#pragma once

#include "platform/object.h"

#include <cstddef>
#include <vector>

struct ORVAutoreleasePool : ORVObject {
    // Creates a pool and pushes it on the calling thread's stack. The caller
    // owns the one reference; releasing it drains and pops the pool.
    ORVAutoreleasePool();

    // Adds one reference of obj to this pool.
    void addObject(ORVObject *obj);
    std::size_t objectCount() const noexcept { return objects_.size(); }
    // Releases every object held so far; the pool stays in place.
    void drain();

    orv_object_kind kind() const noexcept override { return ORV_KIND_POOL; }

    // The innermost pool of the calling thread, or null.
    static ORVAutoreleasePool *current() noexcept;
    // Number of pools on the calling thread's stack.
    static std::size_t depth() noexcept;
    // Objects kept by the calling thread's fallback pool.
    static std::size_t fallbackCount() noexcept;
    // Releases what the calling thread's fallback pool holds.
    static void drainFallback();
    // Puts obj into the innermost pool (or the fallback pool).
    static void autoreleaseObject(ORVObject *obj);

protected:
    ~ORVAutoreleasePool() override;

private:
    std::vector<ORVObject *> objects_;
    bool onStack_ = true;
    void *ownerStack_ = nullptr;  // the stack of the thread that created the pool
    friend struct PoolStackAccess;
};

namespace orv {
// A pool for the length of a C++ scope.
class PoolScope {
public:
    PoolScope() : pool_(new ORVAutoreleasePool) {}
    ~PoolScope() { pool_->release(); }
    PoolScope(const PoolScope &) = delete;
    PoolScope &operator=(const PoolScope &) = delete;
    ORVAutoreleasePool *pool() const noexcept { return pool_; }

private:
    ORVAutoreleasePool *pool_;
};
}  // namespace orv
