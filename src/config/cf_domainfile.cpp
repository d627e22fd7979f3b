// Domain files: file names per domain, the reader of the text format and the
// builder of entry lines.
#include "config/cf_domainfile.h"
#include "config/cf_lock.h"

#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tk.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include "config/cf_module.h"
#include "frame/orvchar_table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace cf {

namespace {

constexpr const char *kPrivilegeWords[] = {"USER", "ADMIN", "INSTALL", "SYSTEM"};

inline bool is_blank(char c) noexcept { return orv::chars::has(c, orv::chars::kSpace); }

bool low_traces_wanted() noexcept { return tr_current_trace_level() <= tr_LOW; }

// Hands out the physical lines of a text as the reader sees them: each line
// runs through its line feed, and a longer line comes in pieces of at most
// kMaxLine characters, each piece taken as a line of its own. The text is
// the reader's own writable copy, with a NUL after its last byte: a line is
// cut in place by writing a NUL over its line end, so the tokens of a line
// point into the text itself. Only a piece of an over-long line, which has
// no line end to overwrite, is copied.
class LineSource {
public:
    LineSource(char *text, std::size_t size) : text_(text), size_(size) {}

    // The next line, NUL-terminated and without its line end; null at the
    // end of the text. Valid until the next call.
    char *next() {
        if (pos_ >= size_) return nullptr;
        char *start = text_ + pos_;
        const std::size_t limit = std::min(size_ - pos_, static_cast<std::size_t>(kMaxLine));
        if (auto *lf = static_cast<char *>(std::memchr(start, '\n', limit))) {
            pos_ += static_cast<std::size_t>(lf - start) + 1;
            // The line end is not part of the text: an unterminated quoted
            // token must not run into it.
            *lf = '\0';
            if (lf > start && lf[-1] == '\r') lf[-1] = '\0';
            return start;
        }
        pos_ += limit;
        if (pos_ == size_) return start;
        piece_.assign(start, limit);
        return piece_.data();
    }

    // The number of line feeds not handed out yet.
    std::size_t linesLeft() const noexcept {
        return static_cast<std::size_t>(std::count(text_ + pos_, text_ + size_, '\n'));
    }

private:
    char *text_;
    std::size_t size_;
    std::size_t pos_ = 0;
    std::string piece_;
};

// Cuts the next token at *cursor in place, as tk_get does: skips blanks, then
// takes the text between a double quote and the next one (or the end), or a
// run of characters that are not blank; a NUL replaces the character that
// ended it. Null when only blanks remain. size gets the token's length.
inline char *next_token(char *&cursor, std::size_t &size) noexcept {
    char *p = cursor;
    if (!p || !*p) return nullptr;
    while (*p && is_blank(*p)) ++p;
    if (!*p) {
        cursor = p;
        return nullptr;
    }
    const bool quoted = *p == '"';
    char *token = quoted ? p + 1 : p;
    char *scan = p + 1;
    if (quoted) {
        while (*scan && *scan != '"') ++scan;
    } else {
        while (*scan && !is_blank(*scan)) ++scan;
    }
    size = static_cast<std::size_t>(scan - token);
    if (*scan) *scan++ = '\0';
    cursor = scan;
    return token;
}

// True when the zero-terminated text holds nothing but blanks.
bool blank_text(const char *p) noexcept {
    for (; *p; ++p)
        if (!is_blank(*p)) return false;
    return true;
}

// The last character of the zero-terminated text that is not blank, or null.
char *last_non_blank(char *p) noexcept {
    char *last = nullptr;
    for (; *p; ++p)
        if (!is_blank(*p)) last = p;
    return last;
}

// Takes the remaining tokens at cursor as the entry's next values; count
// is the number of values so far.
void take_tokens(char *&cursor, ORVConfigurationTable &table, std::size_t &count) {
    std::size_t size = 0;
    while (char *token = next_token(cursor, size)) {
        table.addValue(std::string_view(token, size));
        ++count;
    }
}

// The level of a privilege word as privilege_level gives it. Words of plain
// ASCII letters, which is what files hold, are compared here directly; any
// other word goes through the folding comparison.
int privilege_of(const char *word, std::size_t size) noexcept {
    if (size < 4 || size > 7) return size ? privilege_level(word) : -1;
    char folded[8];
    for (std::size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        if (c >= 0x80) return privilege_level(word);
        folded[i] = static_cast<char>(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
    }
    const std::string_view w(folded, size);
    for (int level = 0; level < 4; ++level)
        if (w == kPrivilegeWords[level]) return level;
    return -1;
}

void overflow(const char *name) {
    tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "BUFFER OVERFLOW", nullptr,
             "Unable to format configuration variable \"%s\" as the maximum internal buffer "
             "size (%d) has been exceeded",
             name, kEntrySize);
}

bool needs_quotes(std::string_view text) noexcept {
    return text.empty() || text.find_first_of(" \t") != std::string_view::npos;
}

}  // namespace

const char *privilege_word(int level) noexcept {
    return level >= 0 && level <= 3 ? kPrivilegeWords[level] : nullptr;
}

int privilege_level(const char *word) noexcept {
    if (!word) return -1;
    return tk_find_key(word, kPrivilegeWords, 4);
}

std::string domain_file_name(int domain, std::string_view group, const char *user,
                             const char *user_domain) {
    std::string name(group);
    name += '.';
    name += extension(domain);
    if (domain == cf_DOMAIN_USER && user) {
        name += '.';
        name += user;
        if (user_domain) {
            name += '.';
            name += user_domain;
        }
    }
    if (name.size() > static_cast<std::size_t>(kMaxPath)) name.resize(kMaxPath);
    return name;
}

std::string domain_file_name(int domain, std::string_view group) {
    return domain_file_name(domain, group, user_name(), user_domain());
}

namespace {

// A file-name part that cannot leave the directory it is joined to.
bool stays_in_directory(std::string_view part) {
    return part != "." && part != ".." && part.find_first_of("/\\") == std::string_view::npos;
}

bool user_parts_stay(int domain) {
    if (domain != cf_DOMAIN_USER) return true;
    const char *user = user_name();
    const char *udomain = user_domain();
    return (!user || stays_in_directory(user)) && (!user || !udomain || stays_in_directory(udomain));
}

}  // namespace

bool file_name_refused(int domain, const char *group) {
    if (group && !stays_in_directory(group)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "FILE_NACCESS", "cf",
                 "Invalid group: \"%s\" would leave the configuration directory", group);
        return true;
    }
    if (!user_parts_stay(domain)) {
        const char *udomain = user_domain();
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "FILE_NACCESS", "cf",
                 "Invalid user \"%s\" or user domain \"%s\": the user file of group \"%s\" would leave the configuration directory",
                 user_name(), udomain ? udomain : "", group ? group : "(null)");
        return true;
    }
    return false;
}

std::string domain_file_path(int domain, std::string_view group) {
    if (!stays_in_directory(group) || !user_parts_stay(domain)) return std::string();
    std::string name = domain_file_name(domain, group);
    char buffer[kMaxPath + 1] = {0};
    ut_file_build_full_path(buffer, search_path(domain).c_str(), name.c_str(), kMaxPath);
    return buffer;
}

namespace {

// Reads the domain text in buffer (size bytes, writable, with a NUL after
// them) into table; the buffer is cut up on the way.
void read_domain_buffer(char *buffer, std::size_t size, ORVConfigurationTable &table,
                        int domain) {
    const bool traced = low_traces_wanted();
    LineSource lines(buffer, size);
    bool reserved = false;
    while (char *line = lines.next()) {
        char *cursor = line;
        std::size_t nameSize = 0;
        char *name = next_token(cursor, nameSize);
        if (!name || name[0] == '#') continue;
        if (traced) tr_trace(__FILE__, __LINE__, tr_LOW, "Parameter: %s", name);

        std::size_t privSize = 0;
        char *priv = next_token(cursor, privSize);
        const int level = priv ? privilege_of(priv, privSize) : -1;
        if (level < 0) {
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "BAD_PRIV", "cf",
                     "Invalid privilege value (%s) in entry for \"%s\"",
                     priv ? priv : "non-existent", name);
            continue;
        }
        if (!reserved) {
            // At most one entry per line, and no more text than the file's:
            // the storage grows once per file. Not before the first entry:
            // storing one is what fills the table, and a file without
            // entries must not.
            table.reserveEntries(lines.linesLeft() + 1, size + size / 4 + 64);
            reserved = true;
        }
        // The name is copied now: its token may be gone with its line once
        // a continuation line is read.
        table.beginEntry(domain, std::string_view(name, nameSize), level);

        std::size_t count = 0;
        for (;;) {
            if (!cursor) break;
            char *last = last_non_blank(cursor);
            if (!last || *last != '\\') break;
            *last = '\0';
            take_tokens(cursor, table, count);
            char *more = nullptr;
            while ((line = lines.next())) {
                if (!blank_text(line)) {
                    more = line;
                    break;
                }
            }
            cursor = more;
            if (!more) break;
        }
        if (cursor) take_tokens(cursor, table, count);

        if (count >= 2) {
            // The last value loses its last character when its last
            // character other than white space is a double quote.
            std::string_view lastValue;
            for (std::string_view value : table.entryValues()) lastValue = value;
            if (lastValue.size() > 1) {
                std::size_t end = lastValue.find_last_not_of(" \t\n\v\f\r");
                if (end != std::string_view::npos && lastValue[end] == '"') table.trimLastValue();
            }
        }
        if (traced) {
            const cf::ValueList values = table.entryValues();
            tr_trace(__FILE__, __LINE__, tr_LOW, "Value: %s",
                     ORVConfigurationVariable::describeValues(values.strings()).c_str());
        }
        table.endEntry();
    }
}

}  // namespace

void read_domain_text(std::string_view text, ORVConfigurationTable &table, int domain) {
    std::string copy;
    copy.reserve(text.size() + 1);
    copy.assign(text);
    read_domain_buffer(copy.data(), copy.size(), table, domain);
}

namespace {

// The buffer that domain files are read into, kept between reads (a file
// read inside another read, from a trace call-back, gets a buffer of its
// own). Written only by read_domain_file.
std::string Read_buffer;
bool Read_buffer_busy = false;

// Reads the whole content of an open file into text (std::string keeps a
// NUL after it); what could be read when reading fails half way.
void read_all(int fd, std::string &text) {
    struct stat st;
    std::size_t expected = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        expected = static_cast<std::size_t>(st.st_size);
    text.resize(expected ? expected : 65536);
    std::size_t used = 0;
    for (;;) {
        ssize_t n;
        if (used < text.size()) {
            n = ::read(fd, text.data() + used, text.size() - used);
        } else {
            // Full: the file may have grown since fstat, or had no size.
            char more[4096];
            n = ::read(fd, more, sizeof more);
            if (n > 0) {
                text.resize(text.size() * 2);
                std::memcpy(text.data() + used, more, static_cast<std::size_t>(n));
            }
        }
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        used += static_cast<std::size_t>(n);
    }
    text.resize(used);
}

}  // namespace

void read_domain_stream(std::FILE *file, ORVConfigurationTable &table, int domain) {
    std::string text;
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
    read_domain_buffer(text.data(), text.size(), table, domain);
}

int read_domain_file(ORVConfigurationTable **table, int domain, const char *group,
                     const std::string &path) {
    if (static_cast<unsigned>(domain) > 2) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "BAD_DOMAIN", "cf",
                 "Invalid domain: %d.", domain);
        return cf_BAD_DOMAIN;
    }
    if (!group) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "FILE_NACCESS", "cf",
                 "Invalid group: %s", "(null)");
        return cf_FILE_NACCESS;
    }
    if (!table) return cf_BAD_PARAM;
    const char *dname = domain_name(domain);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        tr_warning(__FILE__, __LINE__, tr_HIGH,
                   "Failed to find file \"%s\" when reading domain %s for group \"%s\"",
                   path.c_str(), dname, group);
        return cf_FILE_NACCESS;
    }
    tr_trace(__FILE__, __LINE__, tr_HIGH, "Reading domain %s for group \"%s\" from file \"%s\" ...",
             dname, group, path.c_str());

    orv::Ref<ORVConfigurationTable> held;
    ORVConfigurationTable *target = *table;
    if (!target) {
        held = orv::Ref<ORVConfigurationTable>::retain(cached_table(group));
        if (!held) held = ORVConfigurationTable::create();
        held->resetVariables();
        target = held.get();
    }
    {
        // Lends the shared buffer for one read; a big one is not kept.
        struct Lease {
            std::string own;
            std::string &text = Read_buffer_busy ? own : Read_buffer;
            const bool shared = !Read_buffer_busy;
            Lease() { Read_buffer_busy = true; }
            ~Lease() {
                if (!shared) return;
                Read_buffer_busy = false;
                if (Read_buffer.capacity() > (std::size_t{1} << 20))
                    std::string().swap(Read_buffer);
            }
        } lease;
        read_all(fd, lease.text);
        ::close(fd);
        read_domain_buffer(lease.text.data(), lease.text.size(), *target, domain);
    }
    if (held) *table = held.leak();
    tr_trace(__FILE__, __LINE__, tr_LOW, "Read domain %s for group \"%s\"", dname, group);
    return 0;
}

}  // namespace cf

extern "C" {

int cf_read_domain_with_table(ORVConfigurationTable **table, int domain, const char *group) {
    cf::WriteSection section;
    if (static_cast<unsigned>(domain) > 2 || !group)
        return cf::read_domain_file(table, domain, group, std::string());
    if (cf::file_name_refused(domain, group)) return cf_FILE_NACCESS;
    return cf::read_domain_file(table, domain, group, cf::domain_file_path(domain, group));
}

int cf_read_entire_file(int domain, const char *group, ORVConfigurationTable **table) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_LOW, "cf_read_entire_file( %s, \"%s\", %#lx ) called.",
             cf::domain_name(domain), group ? group : "(null)",
             static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(table)));
    if (domain == cf_DOMAIN_ALL) domain = cf_DOMAIN_USER;
    if (static_cast<unsigned>(domain) > 2) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "BAD_DOMAIN", "cf",
                 "Invalid domain: %d.", domain);
        return cf_BAD_DOMAIN;
    }
    if (!table) return cf_BAD_PARAM;
    *table = nullptr;
    if (group && cf::tables_imported()) {
        ORVConfigurationTable *cached = cf::cached_table(group);
        if (cached && cached->hasVariables()) {
            cached->retain();
            *table = cached;
            return 0;
        }
    }
    bool read = false;
    for (int d = domain; d >= 0; --d)
        if (cf_read_domain_with_table(table, d, group) == 0) read = true;
    return read ? 0 : cf_FAILURE;
}

int cf_read_entire_file_with_user(const char *user, const char *user_domain, int domain,
                                  const char *group, ORVConfigurationTable **table) {
    cf::WriteSection section;
    cf::ScopedUser scoped(user, user_domain);
    return cf_read_entire_file(domain, group, table);
}

void cf_free_table(ORVConfigurationTable **table) {
    if (!table || !*table) return;
    (*table)->release();
    *table = nullptr;
}

int mk_entry(char *buffer, const char *name, int level, int count, const char *const *values) {
    if (!buffer || !name || (count > 0 && !values)) return cf_BAD_PARAM;
    if (count < 0) count = 0;
    tr_trace(__FILE__, __LINE__, tr_LOW, "Building new entry [ \"%s\", %s, %d ]", name,
             cf::perm_description(level), count);
    const char *word = cf::privilege_word(level);
    if (!word) {
        buffer[0] = '\0';
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "BAD_PRIV", "cf",
                 "Invalid permission: %d", level);
        return cf_BAD_PRIV;
    }
    const std::size_t nameLen = std::strlen(name);
    const bool quoteName = cf::needs_quotes(std::string_view(name, nameLen));
    if (quoteName) tr_trace(__FILE__, __LINE__, tr_LOW, "Quoting multi-word parameter name.");
    std::size_t total = nameLen + (quoteName ? 2 : 0) + std::strlen(word) + 2;
    if (total > static_cast<std::size_t>(cf::kMaxLine)) {
        buffer[0] = '\0';
        cf::overflow(name);
        return cf_BUFFER_OVERFLOW;
    }
    char *out = buffer;
    auto put = [&out](const char *text, std::size_t n) {
        std::memcpy(out, text, n);
        out += n;
    };
    if (quoteName) put("\"", 1);
    put(name, nameLen);
    if (quoteName) put("\"", 1);
    put("\t", 1);
    put(word, std::strlen(word));
    put("\t", 1);

    std::size_t column = total + 6;
    for (int i = 0; i < count; ++i) {
        const char *value = values[i] ? values[i] : "";
        const std::size_t len = std::strlen(value);
        std::size_t need = len + 1;
        const bool quote = cf::needs_quotes(std::string_view(value, len));
        if (quote) {
            tr_trace(__FILE__, __LINE__, tr_LOW, "Quoting multi-word value.");
            need += 2;
        }
        const bool wrap = column + need > 79;
        if (wrap) need += 3;
        if (total + need > static_cast<std::size_t>(cf::kMaxLine)) {
            buffer[0] = '\0';
            cf::overflow(name);
            return cf_BUFFER_OVERFLOW;
        }
        char *start = out;
        if (wrap) {
            put("\\\n\t", 3);
            column = 4;
        } else {
            column += need + 1;
        }
        if (quote) put("\"", 1);
        put(value, len);
        if (quote) put("\"", 1);
        if (i + 1 < count) put(" ", 1);
        total += static_cast<std::size_t>(out - start);
    }
    put("\n", 1);
    *out = '\0';
    return 0;
}

}  // extern "C"
