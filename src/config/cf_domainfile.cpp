// Domain files: file names per domain, the reader of the text format and the
// builder of entry lines.
#include "config/cf_domainfile.h"

#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tk.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include "config/cf_module.h"
#include "frame/orvchar_table.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace cf {

namespace {

constexpr const char *kPrivilegeWords[] = {"USER", "ADMIN", "INSTALL", "SYSTEM"};

bool is_blank(char c) noexcept { return orv::chars::has(c, orv::chars::kSpace); }
bool low_traces_wanted() noexcept { return tr_current_trace_level() <= tr_LOW; }

// Hands out the physical lines of a text as the reader sees them: each line
// runs through its line feed, and a longer line comes in pieces of at most
// kMaxLine characters, each piece taken as a line of its own.
class LineSource {
public:
    explicit LineSource(std::string_view text) : text_(text) {}

    // Copies the next line into buf (zero-terminated, without its line end);
    // false at the end of the text.
    bool next(std::string &buf) {
        if (pos_ >= text_.size()) return false;
        std::size_t limit = std::min(text_.size() - pos_, static_cast<std::size_t>(kMaxLine));
        const void *lf = std::memchr(text_.data() + pos_, '\n', limit);
        std::size_t len = lf ? static_cast<const char *>(lf) - (text_.data() + pos_) + 1 : limit;
        const std::size_t start = pos_;
        pos_ += len;
        // The line end is not part of the text: an unterminated quoted token
        // must not run into it.
        if (lf) {
            --len;
            if (len && text_[start + len - 1] == '\r') --len;
        }
        buf.assign(text_.data() + start, len);
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

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

void take_tokens(char *&cursor, std::vector<std::string> &values) {
    while (char *token = tk_get(&cursor)) values.emplace_back(token);
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

std::string domain_file_path(int domain, std::string_view group) {
    std::string name = domain_file_name(domain, group);
    char buffer[kMaxPath + 1] = {0};
    ut_file_build_full_path(buffer, search_path(domain).c_str(), name.c_str(), kMaxPath);
    return buffer;
}

void read_domain_text(std::string_view text, ORVConfigurationTable &table, int domain) {
    const char *dname = domain_name(domain);
    const bool traced = low_traces_wanted();
    LineSource lines(text);
    std::string line;
    std::string key;
    while (lines.next(line)) {
        char *cursor = line.data();
        char *name = tk_get(&cursor);
        if (!name || name[0] == '#') continue;
        if (traced) tr_trace(__FILE__, __LINE__, tr_LOW, "Parameter: %s", name);
        key.assign(dname);
        key += '.';
        key += name;
        upper_in_place(key);
        std::string written(name);

        char *priv = tk_get(&cursor);
        int level = privilege_level(priv);
        if (level < 0) {
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "BAD_PRIV", "cf",
                     "Invalid privilege value (%s) in entry for \"%s\"",
                     priv ? priv : "non-existent", written.c_str());
            continue;
        }

        std::vector<std::string> values;
        for (;;) {
            if (!cursor) break;
            char *last = last_non_blank(cursor);
            if (!last || *last != '\\') break;
            *last = '\0';
            take_tokens(cursor, values);
            bool more = false;
            while (lines.next(line)) {
                if (!blank_text(line.c_str())) {
                    more = true;
                    break;
                }
            }
            if (!more) {
                cursor = nullptr;
                break;
            }
            cursor = line.data();
        }
        if (cursor) take_tokens(cursor, values);

        if (values.size() >= 2) {
            std::string &lastValue = values.back();
            if (lastValue.size() > 1) {
                std::size_t end = lastValue.find_last_not_of(" \t\n\v\f\r");
                if (end != std::string::npos && lastValue[end] == '"') lastValue.pop_back();
            }
        }
        if (traced)
            tr_trace(__FILE__, __LINE__, tr_LOW, "Value: %s",
                     ORVConfigurationVariable::describeValues(values).c_str());

        auto variable = ORVConfigurationVariable::variableWithName(std::move(written), level,
                                                                   std::move(values));
        table.setVariable(variable.get(), key);
    }
}

void read_domain_stream(std::FILE *file, ORVConfigurationTable &table, int domain) {
    std::string text;
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
    read_domain_text(text, table, domain);
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
    std::FILE *file = std::fopen(path.c_str(), "re");
    if (!file) {
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
    read_domain_stream(file, *target, domain);
    std::fclose(file);
    if (held) *table = held.leak();
    tr_trace(__FILE__, __LINE__, tr_LOW, "Read domain %s for group \"%s\"", dname, group);
    return 0;
}

}  // namespace cf

extern "C" {

int cf_read_domain_with_table(ORVConfigurationTable **table, int domain, const char *group) {
    if (static_cast<unsigned>(domain) > 2 || !group)
        return cf::read_domain_file(table, domain, group, std::string());
    return cf::read_domain_file(table, domain, group, cf::domain_file_path(domain, group));
}

int cf_read_entire_file(int domain, const char *group, ORVConfigurationTable **table) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "cf_read_entire_file( %s, \"%s\", %#lx ) called.",
             cf::domain_name(domain), group ? group : "(null)",
             static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(table)));
    if (domain == cf_DOMAIN_ALL) domain = cf_DOMAIN_USER;
    if (static_cast<unsigned>(domain) > 2) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "BAD_DOMAIN", "cf",
                 "Invalid domain: %d.", domain);
        return cf_BAD_DOMAIN;
    }
    if (!table || !group) return cf_BAD_PARAM;
    *table = nullptr;
    if (cf::tables_imported()) {
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
