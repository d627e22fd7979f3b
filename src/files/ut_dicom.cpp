// DICOM UIDs and GUID strings: the numeric form of a text, the process's UID
// base with its counter and kind digit, instance UIDs from GUIDs, and both
// GUID layouts. Holds BaseString, UIDCounter and SharedUIDBuffer.
//
// The UID root is fixed when the library is built (ORV_DICOM_UID_ROOT, see
// the README); the default is a placeholder of the shape of a registered root
// that an installation replaces with its own.
#include "files/ut_dicom.h"

#include "files/unique_string.h"
#include "files/ut_testing.h"
#include "platform/objects.h"

#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/utdicom.h>

#include <pthread.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#ifndef ORV_DICOM_UID_ROOT
#define ORV_DICOM_UID_ROOT "1.2.999.999999."
#endif

namespace orv::files {

namespace {

constexpr const char *kModule = "ORVCommonKit";
constexpr int kMaxUidLength = 64;

// The root every UID begins with; replaced only by tests.
std::string Uid_root = ORV_DICOM_UID_ROOT;
// The process's UID base, made by the first DICOM UID; dropped in a forked
// child, which makes its own.
std::string *BaseString = nullptr;
// Incremented once per DICOM UID asked for.
std::uint32_t UIDCounter = 0;
// The result of the five kind functions, overwritten by each call.
char SharedUIDBuffer[kMaxUidLength + 1];

void forget_base_in_child() { BaseString = nullptr; }

bool is_kept(char c) { return c == '.' || (c >= '0' && c <= '9'); }
bool is_converted(char c) { return c == '-' || (c >= 'a' && c <= 'z'); }

const std::string &base_string() {
    if (BaseString) return *BaseString;
    static std::once_flag once;
    std::call_once(once, [] { ::pthread_atfork(nullptr, nullptr, forget_base_in_child); });
    std::string n = numeric_version_of_string(unique_string());
    const int root_length = static_cast<int>(Uid_root.size());
    if (root_length + static_cast<int>(n.size()) + 9 > kMaxUidLength) {
        const int keep = root_length < 55 ? 55 - root_length : 0;
        tr_warning(__FILE__, __LINE__, tr_LOW,
                   "Warning base UID string (%s) created with -globallyUniqueString will be too long for DICOM "
                   "(%d+%d > %d).\nJust using the last %d characters",
                   n.c_str(), static_cast<int>(n.size()), root_length + 9, kMaxUidLength, keep);
        n.erase(0, n.size() - static_cast<size_t>(keep));
        while (!n.empty() && (n[0] == '0' || n[0] == '.')) n.erase(0, 1);
        tr_warning(__FILE__, __LINE__, tr_LOW, "Truncated unique string is: %s", n.c_str());
    }
    while (!n.empty() && n[0] == '.') n.erase(0, 1);
    BaseString = new std::string(Uid_root + n);
    return *BaseString;
}

// Writes the decimal form of v at out; returns the end.
char *put_decimal(char *out, std::uint64_t v) { return std::to_chars(out, out + 20, v).ptr; }

constexpr char kHex[] = "0123456789ABCDEF";

char *put_hex(char *out, const unsigned char *bytes, int n) {
    for (int i = 0; i < n; ++i) {
        *out++ = kHex[bytes[i] >> 4];
        *out++ = kHex[bytes[i] & 15];
    }
    return out;
}

}  // namespace

std::string numeric_version_of_string(const std::string &input) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "numericVersionOfString: Input = \"%s\" (%d characters)", input.c_str(),
             static_cast<int>(input.size()));
    std::string text = input;
    for (char &c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    std::string out;
    const auto add = [&out](const char *piece, size_t n) {
        if (!out.empty()) out.push_back('.');
        out.append(piece, n);
    };
    size_t i = 0;
    while (i < text.size()) {
        if (is_kept(text[i])) {
            size_t end = i;
            while (end < text.size() && is_kept(text[end])) ++end;
            while (i < end && text[i] == '0') ++i;
            if (i < end) add(text.data() + i, end - i);
            i = end;
        } else if (is_converted(text[i])) {
            std::uint32_t value = 0, scale = 1;
            for (; i < text.size() && is_converted(text[i]); ++i) {
                const std::uint32_t d = text[i] == '-' ? 26u : static_cast<std::uint32_t>(text[i] - 'a');
                value += d * scale;
                scale *= 100u;
            }
            char digits[24];
            add(digits, static_cast<size_t>(put_decimal(digits, value) - digits));
        } else {
            while (i < text.size() && !is_kept(text[i]) && !is_converted(text[i])) ++i;
        }
    }
    tr_trace(__FILE__, __LINE__, tr_LOW, "numericVersionOfString: Output = \"%s\" (%d characters)", out.c_str(),
             static_cast<int>(out.size()));
    return out;
}

bool make_dicom_uid(unsigned kind, char (&uid)[kMaxUidLength + 1]) {
    const std::string &base = base_string();
    const std::uint32_t number = 10u * UIDCounter + kind;
    ++UIDCounter;
    char digits[24];
    const size_t n = static_cast<size_t>(put_decimal(digits, number) - digits);
    const size_t length = base.size() + n;
    if (length > static_cast<size_t>(kMaxUidLength)) {
        const std::string whole = base + std::string(digits, n);
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "DICOM UID Overflow", kModule,
                 "Unable to generate a new DICOM UID as the resulting string (%s) is %d characters of over the "
                 "maximum of %d characters",
                 whole.c_str(), static_cast<int>(length) - kMaxUidLength, kMaxUidLength);
        uid[0] = '\0';
        return false;
    }
    std::memcpy(uid, base.data(), base.size());
    std::memcpy(uid + base.size(), digits, n);
    uid[length] = '\0';
    tr_trace(__FILE__, __LINE__, tr_LOW, "Final unique string is: \"%s\" (%d characters)", uid,
             static_cast<int>(length));
    return true;
}

bool new_guid(Guid &guid) {
    unsigned char b[16];
    if (!guid_random_bytes(b, sizeof b)) return false;
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4: random
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // the standard variant
    guid.data1 = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
    guid.data2 = static_cast<std::uint16_t>((b[4] << 8) | b[5]);
    guid.data3 = static_cast<std::uint16_t>((b[6] << 8) | b[7]);
    std::memcpy(guid.data4, b + 8, 8);
    return true;
}

const char *dicom_uid_root() { return Uid_root.c_str(); }

}  // namespace orv::files

using namespace orv::files;

extern "C" {

const char *ut_dicom_uid_root(void) { return dicom_uid_root(); }

ORVString *ut_dicom_uid_nsstr(unsigned int kind) {
    char uid[kMaxUidLength + 1];
    if (!make_dicom_uid(kind, uid)) return nullptr;
    return ORVString::temporary(uid);
}

#define ORV_KIND_UID(name, kind)                                      \
    const char *name(void) {                                          \
        make_dicom_uid(kind, SharedUIDBuffer);                        \
        return SharedUIDBuffer;                                       \
    }
ORV_KIND_UID(ut_generate_dicom_study_uid, ut_DICOM_STUDY)
ORV_KIND_UID(ut_generate_dicom_series_uid, ut_DICOM_SERIES)
ORV_KIND_UID(ut_generate_dicom_image_uid, ut_DICOM_IMAGE)
ORV_KIND_UID(ut_generate_dicom_kin_uid, ut_DICOM_KIN)
ORV_KIND_UID(ut_generate_dicom_storcommit_uid, ut_DICOM_STORCOMMIT)
#undef ORV_KIND_UID

int ut_generate_instance_uid(char *buffer, int size) {
    if (!buffer || size <= kMaxUidLength) return -1;
    Guid guid;
    if (!new_guid(guid)) return -1;
    std::uint64_t data4 = 0;
    for (int i = 7; i >= 0; --i) data4 = (data4 << 8) | guid.data4[i];
    char digits[24];
    *put_decimal(digits, data4) = '\0';
    const unsigned long data23 = guid.data2 + 65536ul * guid.data3;
    char uid[128];
    const int n = std::snprintf(uid, sizeof uid, "%s%0u.%0u.%0lu.%0lu.%s", Uid_root.c_str(), 5u, 1u,
                                static_cast<unsigned long>(guid.data1), data23, digits);
    if (n < 0 || n >= size) return -1;
    if (n > kMaxUidLength) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "DICOM UID Overflow", kModule,
                 "Unable to generate a new DICOM UID as the resulting string (%s) is %d characters of over the "
                 "maximum of %d characters",
                 uid, n - kMaxUidLength, kMaxUidLength);
        return -1;
    }
    std::memcpy(buffer, uid, static_cast<size_t>(n) + 1);
    return 0;
}

int ut_generate_guid(char *buffer, int size, unsigned char compact) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "Entered ut_generate_guid(), len = %d", size);
    if (!buffer || size <= 38) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                 "In ut_generate_guid(), guidBuffer is NULL or is smaller than %d, returning ERR", 39);
        return -1;
    }
    Guid guid;
    if (!new_guid(guid)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                 "In ut_generate_guid(), CoCreateGuid() failed, returning ERR");
        return -1;
    }
    const unsigned char head[8] = {
        static_cast<unsigned char>(guid.data1 >> 24), static_cast<unsigned char>(guid.data1 >> 16),
        static_cast<unsigned char>(guid.data1 >> 8),  static_cast<unsigned char>(guid.data1),
        static_cast<unsigned char>(guid.data2 >> 8),  static_cast<unsigned char>(guid.data2),
        static_cast<unsigned char>(guid.data3 >> 8),  static_cast<unsigned char>(guid.data3)};
    char *p = buffer;
    if (compact) {
        p = put_hex(p, head, 8);
        p = put_hex(p, guid.data4, 8);
    } else {
        *p++ = '{';
        p = put_hex(p, head, 4);
        *p++ = '-';
        p = put_hex(p, head + 4, 2);
        *p++ = '-';
        p = put_hex(p, head + 6, 2);
        *p++ = '-';
        p = put_hex(p, guid.data4, 2);
        *p++ = '-';
        p = put_hex(p, guid.data4 + 2, 6);
        *p++ = '}';
    }
    *p = '\0';
    tr_trace(__FILE__, __LINE__, tr_MID, "In ut_generate_guid(), guidBuffer = %s", buffer);
    return 0;
}

// Test hooks (declared in files/ut_testing.h).
void orv_ut_testing_set_uid_root(const char *root) { Uid_root = root ? root : ORV_DICOM_UID_ROOT; }

void orv_ut_testing_forget_uid_base(void) {
    delete BaseString;
    BaseString = nullptr;
    UIDCounter = 0;
}

}  // extern "C"
