// Sweep rows of the library frame: start-up and pools, characters and
// strings, token keys, the class-hook registry.
#include "sweep.h"

namespace {

// Calls f for every byte value; the sum keeps the calls from being dropped.
template <typename F>
long every_byte(F f) {
    long sum = 0;
    for (int c = 0; c < 256; ++c) sum += static_cast<long>(f(static_cast<char>(c))) != 0;
    return sum >= 0 ? 0 : 1;
}
#define EVERY_BYTE(f) sweep::Call{#f, [] { return every_byte([](char c) { return long(f(c)); }); }}

// The copies of a text into a buffer of n + 1 bytes: f(destination, source, n).
struct Copy {
    const char *function;
    void (*copy)(char *, const char *, int);
};
#define COPY(f) Copy{#f, [](char *d, const char *s, int n) { f(d, s, n); }}
const Copy kCopies[] = {COPY(orvstr_cpy), COPY(orvstr_cat), COPY(orvstr_xlwr), COPY(orvstr_xupr), COPY(orvstr_to_ascii)};

}  // namespace

SWEEP_ROWS(frame) {
    using sweep::Expect;
    // Start-up, pools, error texts.
    rows.add("orvstd_init", "twice", [] { return long(orvstd_init() + orvstd_init()); }, 0);
    rows.add("orvstd_gui_init", "after orvstd_init", [] { orvstd_init(); return long(orvstd_gui_init()); }, 0);
    rows.add("orvstd_term", "without init, twice", [] { return long(orvstd_term() + orvstd_term()); }, 0);
    rows.add("orvstd_set_windows_native", "twice", [] { orvstd_set_windows_native(); orvstd_set_windows_native(); return long(orvstd_is_windows_native()); }, 1);
    rows.add("orvstd_is_windows_native", "fresh process", [] { return long(orvstd_is_windows_native()); }, 0);
    rows.add("orvstd_create_autorel_pool", "nested, destroyed out of order", [] {
        ORVAutoreleasePool *a = orvstd_create_autorel_pool(), *b = orvstd_create_autorel_pool();
        orvstd_destroy_autorel_pool(a);
        orvstd_destroy_autorel_pool(b);
        return 0L;
    });
    rows.add("orvstd_destroy_autorel_pool", "null", [] { orvstd_destroy_autorel_pool(nullptr); return 0L; });
    rows.add("orvstd_printf", "null format", [] { return long(orvstd_printf(nullptr)); }, 0);
    for (const sweep::Text &t : sweep::texts())
        rows.add("orvstd_printf", std::string("%s of ") + t.label,
                 [t] { return long(orvstd_printf("%s", t.value ? t.value : "(none)") < 0); }, 0);
    rows.add("orvstd_version", "fresh process", [] { return long(orvstd_version() != nullptr); }, 1);
    rows.add("orvstd_flush", "nothing written", [] { return long(orvstd_flush()); }, 0);
    for (unsigned code : {0u, 1u, 4096u, 0xFFFFFFFFu, 0x80000000u})
        rows.add("orvstd_GetLastErrorText", "code " + std::to_string(code),
                 [code] { return long(orvstd_GetLastErrorText(code) != nullptr); }, 1);
    rows.add("orvstd_GetLastErrorText0", "errno huge", [] { errno = INT_MAX; return long(orvstd_GetLastErrorText0() != nullptr); }, 1);
    rows.add("ORVCommonBundle", "twice", [] { return long(ORVCommonBundle() == ORVCommonBundle()); }, 1);
    rows.add("ORVStdHandler_last_error_cString", "before any failure", [] { return long(ORVStdHandler_last_error_cString() != nullptr); }, 0);

    // Characters: every byte value.
    rows.each("every byte", 0, {EVERY_BYTE(orvchar_is_ascii), EVERY_BYTE(orvchar_is_alpha), EVERY_BYTE(orvchar_is_upper), EVERY_BYTE(orvchar_is_lower),
                                EVERY_BYTE(orvchar_is_alnum), EVERY_BYTE(orvchar_is_print), EVERY_BYTE(orvchar_is_space), EVERY_BYTE(orvchar_is_cntrl),
                                EVERY_BYTE(orvchar_is_punct), EVERY_BYTE(orvchar_to_upper), EVERY_BYTE(orvchar_to_lower), EVERY_BYTE(orvchar_sort_order)});
    rows.add("orvchar_to_ascii", "every byte", [] { return every_byte([](char c) { return std::strlen(orvchar_to_ascii(c)) + 1; }); }, 0);

    // Strings that are only read.
    rows.text("orvstr_dup", [](const char *t) { char *d = orvstr_dup(t); const long r = d != nullptr; orvstr_free(d); return r; }, {0, 1});
    rows.add("orvstr_free", "null", [] { orvstr_free(nullptr); return 0L; });
    rows.texts({0, 0}, {SWEEP_TEXT(orvstr_len, t)});
    rows.text2("orvstr_cmp", [](const char *a, const char *b) { return long(orvstr_cmp(a, b) != 0); }, "", {0, 0});
    rows.text2("orvstr_equ", [](const char *a, const char *b) { return long(orvstr_equ(a, b)); }, "abc");
    rows.text2("orvstr_icmp", [](const char *a, const char *b) { return long(orvstr_icmp(a, b) != 0); }, "ABC");
    rows.text2("orvstr_loose_cmp", [](const char *a, const char *b) { return long(orvstr_loose_cmp(a, b, 1) != 0); }, "a b c");
    for (int n : sweep::ints()) {
        for (const sweep::Text &t : sweep::texts()) {
            const std::string args = std::string(t.label) + ", n " + std::to_string(n);
            rows.add("orvstr_ncmp", args, [t, n] { return long(orvstr_ncmp(t.value, "abd", n) > 0 ? 1 : 0); });
            rows.add("orvstr_nicmp", args, [t, n] { return long(orvstr_nicmp(t.value, "ABD", n) > 0 ? 1 : 0); });
        }
    }
    rows.integers(std::nullopt, {SWEEP_INT(orvstr_from_bool, v)});
    rows.text("orvstr_to_bool", [](const char *t) { int out = 7; return long(orvstr_to_bool(t, &out)); }, {0, 0});
    rows.add("orvstr_to_bool", "null out", [] { return long(orvstr_to_bool("yes", nullptr)); });
    rows.texts({0, 0, 0}, {SWEEP_TEXT(orvstr_has_white_space, t)});
    rows.texts({0, 0, 1}, {SWEEP_TEXT(orvstr_has_non_white_space, t)});
    rows.texts({1, 1}, {SWEEP_TEXT(orvstr_is_ascii, t)});

    // Strings changed in place.
    rows.in_place("orvstr_lwr", [](char *s) { return long(orvstr_lwr(s) == s); }, {1, 1, 1});
    rows.in_place("orvstr_upr", [](char *s) { return long(orvstr_upr(s) == s); }, {1, 1, 1});
    rows.in_place("orvstr_set", [](char *s) { return long(orvstr_set(s, 'x') == s); }, {1, 1, 1});
    rows.in_place("orvstr_trim", [](char *s) { return long(orvstr_trim(s) == s); }, {1, 1, 1});
    rows.in_place("orvstr_normalize", [](char *s) { return long(orvstr_normalize(s) == s); }, {1, 1, 1});
    rows.in_place("orvstr_strip", [](char *s) { return long(orvstr_strip(s) == s); }, {1, 1, 1});
    rows.in_place("orvstr_firstchar", [](char *s) { return long(orvstr_firstchar(s) != nullptr); }, {0, 0, 1});
    rows.in_place("orvstr_lastchar", [](char *s) { return long(orvstr_lastchar(s) != nullptr); }, {0, 0, 1});
    rows.in_place("orvstr_leftjust", [](char *s) { return long(orvstr_leftjust(s) == s); }, {1, 1, 1});
    rows.in_place("orvstr_rightjust", [](char *s) { return long(orvstr_rightjust(s) == s); }, {1, 1, 1});
    // The fill and pad widths are the buffer's length: n characters.
    const auto widths = {INT_MIN, -1, 0, 8, INT_MAX};
    rows.buffers("orvstr_fill", widths, [](char *s, int n) { return long(orvstr_fill(s, 'x', n > 0 && n < (1 << 20) ? n : 0) < 0); }, 0);
    rows.buffers("orvstr_pad", widths, [](char *s, int n) { return long(orvstr_pad(s, n > 0 && n < (1 << 20) ? n : 0) == s); }, 1);
    for (int n : sweep::ints())
        rows.add("orvstr_pad", "negative or huge width on a short text, " + std::to_string(n), [n] { char s[8] = "abc"; return long(n < 0 ? orvstr_pad(s, n) != nullptr : 0); });
    rows.in_place("orvstr_pad", [](char *s) { return long(orvstr_pad(s, s ? int(std::strlen(s)) : 0) == s); }, {1, 1, 1});
    rows.in_place("orvstr_fill", [](char *s) { return long(orvstr_fill(s, 'x', s ? int(std::strlen(s)) : 0) < 0); }, {0, 0, 0});

    // Copies into a buffer of n + 1 bytes that ends against an unreadable page
    // (holding "z" first, for the appending copy); negative n; no buffer.
    for (const Copy &c : kCopies) {
        for (int n : {0, 1, 8, 255}) {
            for (const sweep::Text &t : sweep::texts())
                rows.add(c.function, std::string(t.label) + " into " + std::to_string(n + 1) + " bytes", [c, t, n] {
                    char *d = sweep::guarded_buffer(n + 1);
                    std::strcpy(d, n > 0 ? "z" : "");
                    c.copy(d, t.value, n);
                    return long(std::strlen(d) <= size_t(n));
                }, 1);
        }
        for (int n : {INT_MIN, -1})
            rows.add(c.function, "negative n " + std::to_string(n), [c, n] { char d[4] = "xy"; c.copy(d, "\xDF\xC6" "cdef", n); return 0L; });
        rows.add(c.function, "null destination", [c] { c.copy(nullptr, "abc", 3); return 0L; });
    }
    rows.add("orvstr_xupr", "sharp s at the end of the room", [] { char *d = sweep::guarded_buffer(4); orvstr_xupr(d, "ab\xDF\xDF", 3); return long(std::strlen(d) <= 3); }, 1);
    rows.add("orvstr_to_ascii", "wide spellings at the end of the room", [] { char *d = sweep::guarded_buffer(4); orvstr_to_ascii(d, "a\xC6\xC6\xC6", 3); return long(std::strlen(d) <= 3); }, 1);

    // Token keys.
    rows.in_place("tk_get", [](char *s) { char *cursor = s; long n = 0; while (tk_get(&cursor)) ++n; return n; }, {0, 0});
    rows.add("tk_get", "null cursor address", [] { return long(tk_get(nullptr) != nullptr); }, 0);
    rows.add("tk_get", "unterminated quote at the end of the room", [] {
        char *s = sweep::guarded_buffer(6);
        std::memcpy(s, "a \"bc", 6);
        char *cursor = s;
        long n = 0;
        while (tk_get(&cursor)) ++n;
        return n;
    }, 2);
    rows.texts({0, 0, 0}, {SWEEP_TEXT(tk_is_int, t), SWEEP_TEXT(tk_is_float, t)});
    for (auto [fn, find] : {std::pair{"tk_find_key", &tk_find_key}, {"tk_find_key_loose", &tk_find_key_loose}}) {
        static const char *const keys[] = {"USER", "ADMIN", nullptr, "SYSTEM"};
        rows.text(fn, [find](const char *t) { return long(find(t, keys, 4)); }, {-1, -1, -1});
        for (int n : sweep::ints())
            rows.add(fn, "null table, count " + std::to_string(n), [find, n] { return find("USER", nullptr, n); }, -1);
        rows.add(fn, "count past the table's first null", [find] { return find("SYSTEM", keys, 4); }, -1);
        rows.add(fn, "negative count", [find] { return find("USER", keys, -5); }, -1);
    }

    // Class hooks.
    rows.add("orvpostloader_register_hook", "null class", [] { return long(orvpostloader_register_hook(nullptr, ORVPOSTLOADER_DID_LOAD, [](const char *) {})); }, -1);
    rows.add("orvpostloader_register_hook", "null hook", [] { return long(orvpostloader_register_hook("X", ORVPOSTLOADER_DID_LOAD, nullptr)); }, -1);
    rows.texts({}, {SWEEP_TEXT(orvpostloader_register_hook, t, ORVPOSTLOADER_PERFORM_POSING, [](const char *) {}), SWEEP_TEXT(orvpostloader_module_did_load, t)});
    rows.add("orvpostloader_register_hook", "unknown kind", [] { return long(orvpostloader_register_hook("X", static_cast<orvpostloader_hook_kind>(99), [](const char *) {})); }, -1);
    rows.add("orvpostloader_process_classes", "nothing pending, twice", [] { orvpostloader_process_classes(); orvpostloader_process_classes(); return 0L; });
}
