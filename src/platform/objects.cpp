// The value classes: equality, hashing, descriptions and string formatting.
#include "platform/objects.h"

#include "platform/plist.h"
#include "platform/pool.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <functional>

#include <sys/types.h>

namespace {

void indentTo(std::string &out, int indent) { out.append(static_cast<std::size_t>(indent) * 4, ' '); }

std::size_t combine(std::size_t seed, std::size_t h) noexcept {
    return seed ^ (h + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

}  // namespace

// ---- ORVObject ----

ORVObject *ORVObject::autorelease() noexcept {
    ORVAutoreleasePool::autoreleaseObject(this);
    return this;
}

std::size_t ORVObject::hash() const noexcept { return std::hash<const void *>()(this); }

std::string ORVObject::description() const {
    std::string out;
    describeTo(out, 0);
    return out;
}

void ORVObject::describeTo(std::string &out, int) const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "<ORVObject %p>", static_cast<const void *>(this));
    orv::plist::appendQuoted(out, buf);
}

// ---- ORVString ----

bool ORVString::isEqual(const ORVObject *other) const noexcept {
    const auto *s = orv::as<ORVString>(other);
    return s && s->value == value;
}

std::size_t ORVString::hash() const noexcept { return std::hash<std::string_view>()(value); }

void ORVString::describeTo(std::string &out, int) const { orv::plist::appendQuoted(out, value); }

ORVString *ORVString::temporary(std::string_view bytes) {
    return orv::make<ORVString>(std::string(bytes)).autorelease();
}

orv::Ref<ORVString> ORVString::format(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    auto result = vformat(fmt, ap);
    va_end(ap);
    return result;
}

namespace {

// Formats one conversion (conversion holds one "%...c" directive, never %@) with one argument.
template <class T>
void appendOne(std::string &out, const std::string &conversion, int width, int precision, bool hasWidth,
               bool hasPrecision, T value) {
    char small[128];
    int n;
    if (hasWidth && hasPrecision)
        n = std::snprintf(small, sizeof small, conversion.c_str(), width, precision, value);
    else if (hasWidth)
        n = std::snprintf(small, sizeof small, conversion.c_str(), width, value);
    else if (hasPrecision)
        n = std::snprintf(small, sizeof small, conversion.c_str(), precision, value);
    else
        n = std::snprintf(small, sizeof small, conversion.c_str(), value);
    if (n < 0) return;
    if (static_cast<std::size_t>(n) < sizeof small) {
        out.append(small, static_cast<std::size_t>(n));
        return;
    }
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    if (hasWidth && hasPrecision)
        std::snprintf(big.data(), big.size(), conversion.c_str(), width, precision, value);
    else if (hasWidth)
        std::snprintf(big.data(), big.size(), conversion.c_str(), width, value);
    else if (hasPrecision)
        std::snprintf(big.data(), big.size(), conversion.c_str(), precision, value);
    else
        std::snprintf(big.data(), big.size(), conversion.c_str(), value);
    out.append(big.data(), static_cast<std::size_t>(n));
}

}  // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
orv::Ref<ORVString> ORVString::vformat(const char *fmt, va_list ap) {
    std::string out;
    if (!fmt) return orv::make<ORVString>();
    va_list args;
    va_copy(args, ap);
    const char *p = fmt;
    while (*p) {
        if (*p != '%') {
            const char *q = std::strchr(p, '%');
            std::size_t n = q ? static_cast<std::size_t>(q - p) : std::strlen(p);
            out.append(p, n);
            p += n;
            continue;
        }
        const char *start = p++;
        if (*p == '%') {
            out.push_back('%');
            ++p;
            continue;
        }
        if (*p == '@') {
            auto *obj = va_arg(args, ORVObject *);
            if (!obj)
                out += "(null)";
            else if (const auto *s = orv::as<ORVString>(obj))
                out += s->value;
            else
                out += obj->description();
            ++p;
            continue;
        }
        bool hasWidth = false, hasPrecision = false;
        int width = 0, precision = 0;
        while (*p && std::strchr("-+ #0'", *p)) ++p;
        if (*p == '*') {
            hasWidth = true;
            width = va_arg(args, int);
            ++p;
        } else {
            while (*p >= '0' && *p <= '9') ++p;
        }
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                hasPrecision = true;
                precision = va_arg(args, int);
                ++p;
            } else {
                while (*p >= '0' && *p <= '9') ++p;
            }
        }
        enum { None, hh, h, l, ll, j, z, t, L } len = None;
        if (*p == 'h') { len = h; ++p; if (*p == 'h') { len = hh; ++p; } }
        else if (*p == 'l') { len = l; ++p; if (*p == 'l') { len = ll; ++p; } }
        else if (*p == 'q') { len = ll; ++p; }
        else if (*p == 'j') { len = j; ++p; }
        else if (*p == 'z') { len = z; ++p; }
        else if (*p == 't') { len = t; ++p; }
        else if (*p == 'L') { len = L; ++p; }
        char conv = *p;
        if (!conv) {  // a lone % at the end is kept as text
            out.append(start);
            break;
        }
        ++p;
        std::string conversion(start, static_cast<std::size_t>(p - start));
        switch (conv) {
        case 'd': case 'i':
            if (len == l) appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, long));
            else if (len == ll) appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, long long));
            else if (len == j) appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, intmax_t));
            else if (len == z) appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, ssize_t));
            else if (len == t) appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, ptrdiff_t));
            else appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, int));
            break;
        case 'u': case 'o': case 'x': case 'X':
            if (len == l) appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, unsigned long));
            else if (len == ll) appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, unsigned long long));
            else if (len == j) appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, uintmax_t));
            else if (len == z) appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, size_t));
            else if (len == t) appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, ptrdiff_t));
            else appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, unsigned));
            break;
        case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
            if (len == L) appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, long double));
            else appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, double));
            break;
        case 'c':
            if (len == l) appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, wint_t));
            else appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, int));
            break;
        case 's': {
            if (len == l) {
                const wchar_t *w = va_arg(args, const wchar_t *);
                appendOne(out, conversion, width, precision, hasWidth, hasPrecision, w ? w : L"(null)");
                break;
            }
            const char *s = va_arg(args, const char *);
            appendOne(out, conversion, width, precision, hasWidth, hasPrecision, s ? s : "(null)");
            break;
        }
        case 'p':
            appendOne(out, conversion, width, precision, hasWidth, hasPrecision, va_arg(args, void *));
            break;
        case 'n':  // writing back counts is not supported; the argument is skipped
            (void)va_arg(args, void *);
            break;
        default:  // unknown conversion: kept as text
            out += conversion;
            break;
        }
    }
    va_end(args);
    return orv::make<ORVString>(std::move(out));
}
#pragma GCC diagnostic pop

// ---- ORVNumber ----

std::int64_t ORVNumber::intValue() const noexcept {
    if (type != Type::Floating) return integer;
    if (std::isnan(floating)) return 0;
    if (floating >= 9.2233720368547758e18) return INT64_MAX;
    if (floating <= -9.2233720368547758e18) return INT64_MIN;
    return static_cast<std::int64_t>(floating);
}

double ORVNumber::doubleValue() const noexcept {
    return type == Type::Floating ? floating : static_cast<double>(integer);
}

bool ORVNumber::isEqual(const ORVObject *other) const noexcept {
    const auto *n = orv::as<ORVNumber>(other);
    if (!n) return false;
    if (type != Type::Floating && n->type != Type::Floating) return integer == n->integer;
    return doubleValue() == n->doubleValue();
}

std::size_t ORVNumber::hash() const noexcept {
    if (type != Type::Floating) return std::hash<std::int64_t>()(integer);
    double whole;
    if (std::modf(floating, &whole) == 0.0 && std::fabs(floating) < 9.0e18)
        return std::hash<std::int64_t>()(static_cast<std::int64_t>(floating));
    return std::hash<double>()(floating);
}

void ORVNumber::describeTo(std::string &out, int) const {
    char buf[40];
    switch (type) {
    case Type::Integer:
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(integer));
        break;
    case Type::Boolean:
        std::snprintf(buf, sizeof buf, "%s", integer ? "YES" : "NO");
        break;
    case Type::Floating:
        std::snprintf(buf, sizeof buf, "%.17g", floating);
        break;
    }
    orv::plist::appendQuoted(out, buf);
}

// ---- ORVData ----

bool ORVData::isEqual(const ORVObject *other) const noexcept {
    const auto *d = orv::as<ORVData>(other);
    return d && d->bytes == bytes;
}

std::size_t ORVData::hash() const noexcept {
    return std::hash<std::string_view>()(
        std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()));
}

void ORVData::describeTo(std::string &out, int) const {
    static const char hex[] = "0123456789abcdef";
    out.push_back('<');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i && i % 4 == 0) out.push_back(' ');
        out.push_back(hex[bytes[i] >> 4]);
        out.push_back(hex[bytes[i] & 15]);
    }
    out.push_back('>');
}

// ---- ORVArray ----

void ORVArray::add(std::string_view text) { items.push_back(orv::str(text)); }

orv::Ref<ORVArray> ORVArray::copy() const {
    auto a = orv::make<ORVArray>();
    a->items = items;
    return a;
}

bool ORVArray::isEqual(const ORVObject *other) const noexcept {
    const auto *a = orv::as<ORVArray>(other);
    if (!a || a->items.size() != items.size()) return false;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!orv::equal(items[i].get(), a->items[i].get())) return false;
    return true;
}

std::size_t ORVArray::hash() const noexcept {
    std::size_t h = items.size();
    for (const auto &item : items) h = combine(h, item->hash());
    return h;
}

void ORVArray::describeTo(std::string &out, int indent) const {
    if (items.empty()) {
        out += "()";
        return;
    }
    out += "(\n";
    for (std::size_t i = 0; i < items.size(); ++i) {
        indentTo(out, indent + 1);
        items[i]->describeTo(out, indent + 1);
        if (i + 1 < items.size()) out.push_back(',');
        out.push_back('\n');
    }
    indentTo(out, indent);
    out.push_back(')');
}

// ---- ORVDictionary ----

std::size_t ORVDictionary::slotOf(std::size_t hash) const noexcept {
    // Fibonacci hashing spreads hashes that differ only in high or low bits
    // (integers hash to themselves) over the table.
    return static_cast<std::size_t>((static_cast<std::uint64_t>(hash) * 0x9E3779B97F4A7C15ull) >>
                                    (64 - slotBits_));
}

std::size_t ORVDictionary::find(const ORVObject *key) const noexcept {
    if (!key || slots_.empty()) return SIZE_MAX;
    const std::size_t h = key->hash();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = slotOf(h); slots_[i] != 0; i = (i + 1) & mask) {
        const std::size_t e = slots_[i] - 1;
        if (hashes_[e] == h && orv::equal(entries_[e].first.get(), key)) return e;
    }
    return SIZE_MAX;
}

ORVObject *ORVDictionary::objectForKey(const ORVObject *key) const noexcept {
    std::size_t i = find(key);
    return i == SIZE_MAX ? nullptr : entries_[i].second.get();
}

ORVObject *ORVDictionary::objectForKey(std::string_view key) const {
    // The hash of a string key is the hash of its bytes, so a text finds its
    // entry without a string object made for the question.
    if (slots_.empty()) return nullptr;
    const std::size_t h = std::hash<std::string_view>()(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = slotOf(h); slots_[i] != 0; i = (i + 1) & mask) {
        const std::size_t e = slots_[i] - 1;
        if (hashes_[e] != h) continue;
        const ORVObject *k = entries_[e].first.get();
        if (k->kind() == ORV_KIND_STRING && static_cast<const ORVString *>(k)->value == key)
            return entries_[e].second.get();
    }
    return nullptr;
}

ORVString *ORVDictionary::stringForKey(std::string_view key) const {
    return orv::as<ORVString>(objectForKey(key));
}

void ORVDictionary::rehash(std::size_t n) {
    unsigned bits = 4;
    while ((std::size_t{1} << bits) * 3 < n * 4) ++bits;
    slotBits_ = bits;
    slots_.assign(std::size_t{1} << bits, 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t e = 0; e < entries_.size(); ++e) {
        std::size_t i = slotOf(hashes_[e]);
        while (slots_[i] != 0) i = (i + 1) & mask;
        slots_[i] = static_cast<std::uint32_t>(e + 1);
    }
}

void ORVDictionary::reserve(std::size_t n) {
    entries_.reserve(n);
    hashes_.reserve(n);
    if (slots_.size() * 3 < n * 4) rehash(n);
}

void ORVDictionary::append(orv::Ref<ORVObject> key, orv::Ref<ORVObject> value, std::size_t hash) {
    entries_.emplace_back(std::move(key), std::move(value));
    hashes_.push_back(hash);
    if (slots_.size() * 3 < entries_.size() * 4) {
        rehash(entries_.size() * 2);
        return;
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = slotOf(hash);
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = static_cast<std::uint32_t>(entries_.size());
}

void ORVDictionary::setObject(ORVObject *value, ORVObject *key) {
    if (!value || !key) return;
    std::size_t i = find(key);
    if (i != SIZE_MAX) {
        entries_[i].second = orv::Ref<ORVObject>::retain(value);
        return;
    }
    orv::Ref<ORVObject> k;
    if (const auto *s = orv::as<ORVString>(key))
        k = s->copy();  // a caller's string may change later; the key must not
    else
        k = orv::Ref<ORVObject>::retain(key);
    const std::size_t h = k->hash();
    append(std::move(k), orv::Ref<ORVObject>::retain(value), h);
}

bool ORVDictionary::putEntry(orv::Ref<ORVObject> key, orv::Ref<ORVObject> value, bool replace) {
    if (!key || !value) return false;
    const std::size_t i = find(key.get());
    if (i != SIZE_MAX) {
        if (replace) entries_[i].second = std::move(value);
        return false;
    }
    const std::size_t h = key->hash();
    append(std::move(key), std::move(value), h);
    return true;
}

void ORVDictionary::setObject(ORVObject *value, std::string_view key) {
    if (!value) return;
    auto k = orv::str(key);
    setObject(value, k.get());
}

void ORVDictionary::setString(std::string_view value, std::string_view key) {
    auto v = orv::str(value);
    setObject(v.get(), key);
}

void ORVDictionary::removeObjectForKey(const ORVObject *key) {
    std::size_t i = find(key);
    if (i == SIZE_MAX) return;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    hashes_.erase(hashes_.begin() + static_cast<std::ptrdiff_t>(i));
    rehash(entries_.size());
}

void ORVDictionary::removeObjectForKey(std::string_view key) {
    ORVString probe{std::string(key)};
    removeObjectForKey(&probe);
}

void ORVDictionary::removeAllObjects() noexcept {
    entries_.clear();
    hashes_.clear();
    slots_.clear();
    slotBits_ = 0;
}

orv::Ref<ORVDictionary> ORVDictionary::copy() const {
    auto d = orv::make<ORVDictionary>();
    d->entries_ = entries_;
    d->hashes_ = hashes_;
    d->slots_ = slots_;
    d->slotBits_ = slotBits_;
    return d;
}

bool ORVDictionary::isEqual(const ORVObject *other) const noexcept {
    const auto *d = orv::as<ORVDictionary>(other);
    if (!d || d->count() != count()) return false;
    if (d == this) return true;
    for (const auto &[key, value] : entries_)
        if (!orv::equal(d->objectForKey(key.get()), value.get())) return false;
    return true;
}

std::size_t ORVDictionary::hash() const noexcept {
    std::size_t h = entries_.size();
    for (const auto &entry : entries_) h ^= entry.first->hash();  // order does not matter
    return h;
}

void ORVDictionary::describeTo(std::string &out, int indent) const {
    if (entries_.empty()) {
        out += "{}";
        return;
    }
    out += "{\n";
    for (const auto &[key, value] : entries_) {
        indentTo(out, indent + 1);
        key->describeTo(out, indent + 1);
        out += " = ";
        value->describeTo(out, indent + 1);
        out += ";\n";
    }
    indentTo(out, indent);
    out.push_back('}');
}

// ---- ORVCalendarDate ----

bool ORVCalendarDate::isEqual(const ORVObject *other) const noexcept {
    const auto *d = orv::as<ORVCalendarDate>(other);
    return d && d->seconds == seconds;
}

std::size_t ORVCalendarDate::hash() const noexcept { return std::hash<std::int64_t>()(seconds); }

std::string ORVCalendarDate::calendarText() const {
    std::time_t t = static_cast<std::time_t>(seconds + gmtOffset);
    std::tm tm{};
    gmtime_r(&t, &tm);
    int off = gmtOffset < 0 ? -gmtOffset : gmtOffset;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d %c%02d%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  gmtOffset < 0 ? '-' : '+', off / 3600, off / 60 % 60);
    return buf;
}

void ORVCalendarDate::describeTo(std::string &out, int) const {
    orv::plist::appendQuoted(out, calendarText());
}
