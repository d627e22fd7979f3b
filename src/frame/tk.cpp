// tk_: in-place tokenising of text lines, number tests of tokens and keyword
// look-up, built on the orvchar_/orvstr_ primitives.
#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tk.h>

#include <cstring>

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The number test shared by tk_is_int and tk_is_float: an optional leading
// minus, digits, and (when allowed) at most one full stop; at least one digit.
int is_number(const char *token, bool allow_stop) {
    if (!token || !*token) return 0;
    const char *p = token;
    if (*p == '-') ++p;
    bool digit = false;
    bool stop = false;
    for (; *p; ++p) {
        if (is_digit(*p)) {
            digit = true;
        } else if (*p == '.' && allow_stop && !stop) {
            stop = true;
        } else {
            return 0;
        }
    }
    return digit ? 1 : 0;
}

// A keyword table ends at its first null or empty entry.
bool table_ends(const char *entry) { return !entry || !*entry; }

}  // namespace

extern "C" {

char *tk_get(char **cursor) {
    if (!cursor || !*cursor || !**cursor) return nullptr;
    char *p = *cursor;
    while (*p && orvchar_is_space(*p)) ++p;
    if (!*p) {
        *cursor = p;
        return nullptr;
    }
    const bool quoted = *p == '"';
    char *token = quoted ? p + 1 : p;
    char *scan = p + 1;
    if (quoted) {
        while (*scan && *scan != '"') ++scan;
    } else {
        while (*scan && !orvchar_is_space(*scan)) ++scan;
    }
    if (*scan) *scan++ = '\0';
    *cursor = scan;
    return token;
}

int tk_is_int(const char *token) { return is_number(token, false); }

int tk_is_float(const char *token) { return is_number(token, true); }

int tk_find_key(const char *token, const char *const *keys, int count) {
    if (!token || !*token || count < 1 || !keys) return -1;
    for (int i = 0; i < count; ++i) {
        if (table_ends(keys[i])) return -1;
        if (orvstr_icmp(token, keys[i]) == 0) return i;
    }
    return -1;
}

int tk_find_key_loose(const char *token, const char *const *keys, int count) {
    if (!token || !*token || count < 1 || !keys) return -1;
    char *upper_token = orvstr_upr(orvstr_dup(token));
    if (!upper_token) return -1;
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i) {
        if (table_ends(keys[i])) break;
        char *upper_key = orvstr_upr(orvstr_dup(keys[i]));
        if (!upper_key) break;
        if (std::strstr(upper_token, upper_key)) found = i;
        orvstr_free(upper_key);
    }
    orvstr_free(upper_token);
    return found;
}

}  // extern "C"
