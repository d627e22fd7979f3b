// Archives: encoder and checking decoder of the library's binary form.
#include "platform/archive.h"

#include <cstring>

namespace orv::archive {

namespace {

class Writer {
public:
    explicit Writer(std::vector<std::uint8_t> &out) : out_(out) {}

    void u8(std::uint8_t v) { out_.push_back(v); }
    void u16(std::uint16_t v) { put(v, 2); }
    void u32(std::uint32_t v) { put(v, 4); }
    void u64(std::uint64_t v) { put(v, 8); }
    void bytes(const void *p, std::size_t n) {
        const auto *b = static_cast<const std::uint8_t *>(p);
        out_.insert(out_.end(), b, b + n);
    }

    bool object(const ORVObject *obj, int depth, std::string &error) {
        if (depth > kMaxDepth) {
            error = "object graph nests too deeply";
            return false;
        }
        if (const auto *s = as<ORVString>(obj)) return blob('S', s->value.data(), s->value.size(), error);
        if (const auto *d = as<ORVData>(obj)) return blob('D', d->bytes.data(), d->bytes.size(), error);
        if (const auto *n = as<ORVNumber>(obj)) {
            switch (n->type) {
            case ORVNumber::Type::Integer:
                u8('I');
                u64(static_cast<std::uint64_t>(n->integer));
                break;
            case ORVNumber::Type::Floating: {
                std::uint64_t bits;
                std::memcpy(&bits, &n->floating, sizeof bits);
                u8('F');
                u64(bits);
                break;
            }
            case ORVNumber::Type::Boolean:
                u8('B');
                u8(n->integer ? 1 : 0);
                break;
            }
            return true;
        }
        if (const auto *a = as<ORVArray>(obj)) {
            if (!count('A', a->items.size(), error)) return false;
            for (const auto &item : a->items)
                if (!object(item.get(), depth + 1, error)) return false;
            return true;
        }
        if (const auto *m = as<ORVDictionary>(obj)) {
            if (!count('M', m->count(), error)) return false;
            for (const auto &[key, value] : m->entries())
                if (!object(key.get(), depth + 1, error) || !object(value.get(), depth + 1, error))
                    return false;
            return true;
        }
        if (const auto *t = as<ORVCalendarDate>(obj)) {
            u8('T');
            u64(static_cast<std::uint64_t>(t->seconds));
            u32(static_cast<std::uint32_t>(t->gmtOffset));
            return blobBody(t->zoneName.data(), t->zoneName.size(), error);
        }
        error = obj ? "an object of this kind cannot be archived" : "a null object cannot be archived";
        return false;
    }

private:
    void put(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    bool count(std::uint8_t tag, std::size_t n, std::string &error) {
        if (n > UINT32_MAX) {
            error = "collection too large to archive";
            return false;
        }
        u8(tag);
        u32(static_cast<std::uint32_t>(n));
        return true;
    }
    bool blobBody(const void *p, std::size_t n, std::string &error) {
        if (n > UINT32_MAX) {
            error = "value too large to archive";
            return false;
        }
        u32(static_cast<std::uint32_t>(n));
        bytes(p, n);
        return true;
    }
    bool blob(std::uint8_t tag, const void *p, std::size_t n, std::string &error) {
        u8(tag);
        return blobBody(p, n, error);
    }

    std::vector<std::uint8_t> &out_;
};

class Decoder {
public:
    Decoder(const std::uint8_t *p, std::size_t n) : p_(p), n_(n) {}

    Ref<ORVObject> document() {
        std::uint32_t magic;
        std::uint16_t version, flags;
        if (!u32(magic) || magic != kMagic) return fail("not an archive (bad magic number)");
        if (!u16(version) || !u16(flags)) return fail("truncated archive header");
        if (version != kVersion) return fail("unsupported archive version " + std::to_string(version));
        if (flags != 0) return fail("unsupported archive flags");
        auto root = object(0);
        if (!root) return nullptr;
        if (pos_ != n_) return fail("trailing bytes after the archived object");
        return root;
    }

    const std::string &error() const { return error_; }

private:
    std::nullptr_t fail(std::string message) {
        if (error_.empty()) error_ = std::move(message) + " at offset " + std::to_string(pos_);
        return nullptr;
    }
    bool have(std::size_t n) const { return n <= n_ - pos_; }
    bool get(std::uint64_t &v, int n) {
        if (!have(static_cast<std::size_t>(n))) return false;
        v = 0;
        for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(p_[pos_ + i]) << (8 * i);
        pos_ += static_cast<std::size_t>(n);
        return true;
    }
    bool u8(std::uint8_t &v) {
        std::uint64_t x;
        if (!get(x, 1)) return false;
        v = static_cast<std::uint8_t>(x);
        return true;
    }
    bool u16(std::uint16_t &v) {
        std::uint64_t x;
        if (!get(x, 2)) return false;
        v = static_cast<std::uint16_t>(x);
        return true;
    }
    bool u32(std::uint32_t &v) {
        std::uint64_t x;
        if (!get(x, 4)) return false;
        v = static_cast<std::uint32_t>(x);
        return true;
    }
    bool u64(std::uint64_t &v) { return get(v, 8); }

    bool blob(std::string &out) {
        std::uint32_t n;
        if (!u32(n)) return false;
        if (!have(n)) return false;
        out.assign(reinterpret_cast<const char *>(p_ + pos_), n);
        pos_ += n;
        return true;
    }

    Ref<ORVObject> object(int depth) {
        if (depth > kMaxDepth) return fail("archive nests too deeply");
        std::uint8_t tag;
        if (!u8(tag)) return fail("truncated archive: object expected");
        switch (tag) {
        case 'S': {
            std::string s;
            if (!blob(s)) return fail("truncated string");
            return make<ORVString>(std::move(s));
        }
        case 'D': {
            std::string s;
            if (!blob(s)) return fail("truncated data");
            return make<ORVData>(s.data(), s.size());
        }
        case 'I': {
            std::uint64_t v;
            if (!u64(v)) return fail("truncated integer");
            return make<ORVNumber>(static_cast<std::int64_t>(v));
        }
        case 'F': {
            std::uint64_t bits;
            if (!u64(bits)) return fail("truncated floating number");
            double d;
            std::memcpy(&d, &bits, sizeof d);
            return make<ORVNumber>(d);
        }
        case 'B': {
            std::uint8_t b;
            if (!u8(b)) return fail("truncated boolean");
            if (b > 1) return fail("bad boolean value");
            return make<ORVNumber>(b == 1);
        }
        case 'A': {
            std::uint32_t n;
            if (!u32(n)) return fail("truncated array count");
            // Every element takes at least one byte: a count beyond what is
            // left cannot be honest, and must not reserve memory.
            if (!have(n)) return fail("array count exceeds the archive");
            auto array = make<ORVArray>();
            array->items.reserve(n);
            for (std::uint32_t i = 0; i < n; ++i) {
                auto item = object(depth + 1);
                if (!item) return nullptr;
                array->items.push_back(std::move(item));
            }
            return array;
        }
        case 'M': {
            std::uint32_t n;
            if (!u32(n)) return fail("truncated dictionary count");
            if (n > (n_ - pos_) / 2) return fail("dictionary count exceeds the archive");
            auto dict = make<ORVDictionary>();
            for (std::uint32_t i = 0; i < n; ++i) {
                auto key = object(depth + 1);
                if (!key) return nullptr;
                auto value = object(depth + 1);
                if (!value) return nullptr;
                if (!dict->putEntry(std::move(key), std::move(value), false))
                    return fail("duplicate dictionary key");
            }
            return dict;
        }
        case 'T': {
            std::uint64_t seconds;
            std::uint32_t offset;
            std::string zone;
            if (!u64(seconds) || !u32(offset) || !blob(zone)) return fail("truncated date");
            return make<ORVCalendarDate>(static_cast<std::int64_t>(seconds),
                                         static_cast<std::int32_t>(offset), std::move(zone));
        }
        default:
            --pos_;
            return fail("unknown object tag");
        }
    }

    const std::uint8_t *p_;
    std::size_t n_;
    std::size_t pos_ = 0;
    std::string error_;
};

}  // namespace

bool encode(const ORVObject *obj, std::vector<std::uint8_t> &out, std::string *error) {
    std::vector<std::uint8_t> buffer;
    Writer w(buffer);
    w.u32(kMagic);
    w.u16(kVersion);
    w.u16(0);
    std::string message;
    if (!w.object(obj, 0, message)) {
        if (error) *error = message;
        return false;
    }
    out = std::move(buffer);
    return true;
}

Ref<ORVObject> decode(const void *bytes, std::size_t length, std::string *error) {
    if (!bytes) length = 0;
    Decoder d(static_cast<const std::uint8_t *>(bytes), length);
    auto obj = d.document();
    if (!obj && error) *error = d.error();
    return obj;
}

}  // namespace orv::archive
