// The root of the platform's reference-counted objects and the smart pointer
// that library code holds them with.
//
// An object starts with one reference, owned by whoever created it. retain
// adds one, release gives one back and destroys the object with the last one,
// autorelease hands one to the innermost release pool of the calling thread.
// The count is atomic, so objects may be shared between threads; everything
// else about an object is not synchronised.
#pragma once

#include <ORVCommonKit/orvobjects.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <utility>

struct ORVObject {
    ORVObject() = default;
    ORVObject(const ORVObject &) = delete;
    ORVObject &operator=(const ORVObject &) = delete;

    ORVObject *retain() noexcept {
        refs_.fetch_add(1, std::memory_order_relaxed);
        return this;
    }
    void release() noexcept {
        if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    // Hands one reference to the thread's innermost pool; returns this.
    ORVObject *autorelease() noexcept;
    long retainCount() const noexcept { return refs_.load(std::memory_order_relaxed); }

    virtual orv_object_kind kind() const noexcept { return ORV_KIND_OTHER; }
    // Equality by value; the default is identity.
    virtual bool isEqual(const ORVObject *other) const noexcept { return other == this; }
    // Equal objects have equal hashes.
    virtual std::size_t hash() const noexcept;
    // Property-list text of the object (for containers, nested and indented).
    std::string description() const;
    // Appends the description at the given nesting depth.
    virtual void describeTo(std::string &out, int indent) const;

protected:
    virtual ~ORVObject() = default;

private:
    std::atomic<long> refs_{1};
};

namespace orv {

// An owning pointer to a platform object: one reference per Ref.
template <class T>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}
    Ref(const Ref &other) noexcept : p_(other.p_) { if (p_) p_->retain(); }
    Ref(Ref &&other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    template <class U>
    Ref(const Ref<U> &other) noexcept : p_(other.get()) { if (p_) p_->retain(); }
    template <class U>
    Ref(Ref<U> &&other) noexcept : p_(other.leak()) {}
    ~Ref() { if (p_) p_->release(); }

    Ref &operator=(Ref other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }

    // Takes over a reference the caller already owns (a +1 result).
    static Ref adopt(T *p) noexcept {
        Ref r;
        r.p_ = p;
        return r;
    }
    // Adds a reference of its own to a borrowed pointer.
    static Ref retain(T *p) noexcept {
        if (p) p->retain();
        return adopt(p);
    }

    T *get() const noexcept { return p_; }
    T *operator->() const noexcept { return p_; }
    T &operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // Gives up the reference without releasing it (hands the caller a +1).
    T *leak() noexcept { return std::exchange(p_, nullptr); }
    // Moves the reference into the innermost pool; the pointer stays valid
    // until that pool is destroyed.
    T *autorelease() noexcept {
        T *p = leak();
        if (p) p->autorelease();
        return p;
    }

private:
    T *p_ = nullptr;
};

// Identity comparisons (C++20 derives != and the reversed forms).
template <class T, class U>
bool operator==(const Ref<T> &a, const Ref<U> &b) noexcept { return a.get() == b.get(); }
template <class T>
bool operator==(const Ref<T> &a, std::nullptr_t) noexcept { return a.get() == nullptr; }
template <class T, class U>
bool operator==(const Ref<T> &a, const U *b) noexcept { return a.get() == b; }

// A new object of type T with its first reference held by the result.
template <class T, class... Args>
Ref<T> make(Args &&...args) {
    return Ref<T>::adopt(new T(std::forward<Args>(args)...));
}

// The object as a T, or null when it is of another class.
template <class T>
T *as(ORVObject *obj) noexcept { return dynamic_cast<T *>(obj); }
template <class T>
const T *as(const ORVObject *obj) noexcept { return dynamic_cast<const T *>(obj); }

// Equality that treats two nulls as equal.
inline bool equal(const ORVObject *a, const ORVObject *b) noexcept {
    if (a == b) return true;
    if (!a || !b) return false;
    return a->isEqual(b);
}

}  // namespace orv
