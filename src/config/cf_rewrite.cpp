// Rewriting domain files: entries as the reader sees them, the per-domain
// search slots, the single-entry edits, whole-table saves, the creation of
// missing files and directories, and the one way any of them reaches the
// disk: a full temporary copy renamed over the file.
#include "config/cf_rewrite.h"

#include "config/cf_domainfile.h"
#include "config/cf_expand.h"
#include "config/cf_file_lock.h"
#include "config/cf_module.h"
#include "files/fsutil.h"
#include "files/sys_seam.h"
#include "frame/orvchar_table.h"

#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <unordered_set>

namespace cf {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool is_blank(char c) noexcept { return orv::chars::has(c, orv::chars::kSpace); }

std::string error_text(int err) {
    char buffer[256];
    return strerror_r(err, buffer, sizeof buffer);
}

// ---- Physical lines and entries, as the reader sees them ----

// One physical line: its text runs from begin to content_end (line end and a
// carriage return before it excluded); the next line starts at next. A line
// longer than kMaxLine characters comes in pieces, each taken as a line.
struct Line {
    std::size_t begin = 0;
    std::size_t content_end = 0;
    std::size_t next = 0;
};

bool next_line(std::string_view text, std::size_t pos, Line &line) noexcept {
    if (pos >= text.size()) return false;
    const std::size_t limit = std::min(text.size() - pos, static_cast<std::size_t>(kMaxLine));
    const void *lf = std::memchr(text.data() + pos, '\n', limit);
    line.begin = pos;
    if (lf) {
        const std::size_t at = static_cast<std::size_t>(static_cast<const char *>(lf) - text.data());
        line.next = at + 1;
        line.content_end = (at > pos && text[at - 1] == '\r') ? at - 1 : at;
    } else {
        line.next = pos + limit;
        line.content_end = line.next;
    }
    return true;
}

std::string_view content(std::string_view text, const Line &line) noexcept {
    return text.substr(line.begin, line.content_end - line.begin);
}

std::size_t last_non_blank(std::string_view s) noexcept {
    const auto last = std::find_if_not(s.rbegin(), s.rend(), is_blank);
    return last == s.rend() ? npos : static_cast<std::size_t>(s.rend() - last) - 1;
}

bool ends_with_quote(std::string_view s) noexcept {
    const std::size_t at = last_non_blank(s);
    return at != npos && s[at] == '"';
}

bool ends_with_backslash(std::string_view s) noexcept {
    const std::size_t at = last_non_blank(s);
    return at != npos && s[at] == '\\';
}

// The next token of s from pos, cut as tk_get cuts it: a run of non-blank
// characters, or the text between a double quote and the next one (or the
// end). pos moves past the token and its separator.
std::optional<std::string_view> next_token(std::string_view s, std::size_t &pos) noexcept {
    while (pos < s.size() && is_blank(s[pos])) ++pos;
    if (pos >= s.size()) return std::nullopt;
    if (s[pos] == '"') {
        const std::size_t start = pos + 1;
        const std::size_t quote = s.find('"', start);
        if (quote == npos) {
            pos = s.size();
            return s.substr(start);
        }
        pos = quote + 1;
        return s.substr(start, quote - start);
    }
    const std::size_t start = pos;
    while (pos < s.size() && !is_blank(s[pos])) ++pos;
    const std::string_view token = s.substr(start, pos - start);
    if (pos < s.size()) ++pos;
    return token;
}

// The level of a privilege word held in a view, or -1.
int level_of(std::optional<std::string_view> word) {
    if (!word || word->size() > 16) return -1;
    const std::string copy(*word);
    return privilege_level(copy.c_str());
}

// One entry of a domain file: bytes begin to end, line ends included. An
// entry whose first token is a name (not a comment) and whose privilege word
// is valid takes in continuation lines: while a line's last non-blank
// character is a backslash, the next non-blank line belongs to the entry.
// Everything else -- blank lines, comments, lines with a bad privilege word
// -- is an entry of one line, as the reader treats it.
struct Entry {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string_view name;     // the first token, when has_name
    bool has_name = false;     // a variable entry rather than a blank or comment
    bool continued = false;    // continuation lines were taken in
    bool unterminated = false; // the text ended while a continuation was pending
};

bool next_entry(std::string_view text, std::size_t pos, Entry &entry) {
    Line line;
    if (!next_line(text, pos, line)) return false;
    entry = Entry{};
    entry.begin = line.begin;
    entry.end = line.next;
    const std::string_view first = content(text, line);
    std::size_t at = 0;
    const auto name = next_token(first, at);
    if (!name || (!name->empty() && (*name)[0] == '#')) return true;
    entry.has_name = true;
    entry.name = *name;
    if (!ends_with_backslash(first) || level_of(next_token(first, at)) < 0) return true;

    entry.continued = true;
    std::size_t end = line.next;
    for (;;) {
        bool more = false;
        while (next_line(text, end, line)) {
            end = line.next;
            if (last_non_blank(content(text, line)) != npos) {
                more = true;
                break;
            }
        }
        if (!more) {
            entry.unterminated = true;
            break;
        }
        if (!ends_with_backslash(content(text, line))) break;
    }
    entry.end = end;
    return true;
}

// The entry's lines joined into one text: the backslash ending a line is
// replaced by a blank, blank lines are dropped; cut at kMaxLine characters.
std::string joined(std::string_view text, const Entry &entry) {
    std::string out;
    Line line;
    for (std::size_t pos = entry.begin; pos < entry.end && next_line(text, pos, line);
         pos = line.next) {
        std::string_view part = content(text, line);
        if (entry.continued && last_non_blank(part) == npos) continue;
        const std::size_t start = out.size();
        out.append(part);
        // The backslash becomes the blank that separates the lines' tokens.
        if (entry.continued) {
            const std::size_t at = last_non_blank(part);
            if (part[at] == '\\') out[start + at] = ' ';
        }
        if (out.size() >= static_cast<std::size_t>(kMaxLine)) {
            out.resize(kMaxLine);
            break;
        }
    }
    return out;
}

// True when the entry's name equals name without regard to case. Plain
// ASCII names on both sides need only case folding, which is checked here
// directly; anything else goes through the library's folded comparison.
bool same_name(const Entry &entry, std::string_view name, std::string &scratch) {
    if (!entry.has_name) return false;
    const std::string_view token = entry.name;
    bool ascii = true;
    for (char c : token) ascii &= static_cast<unsigned char>(c) < 0x80;
    for (char c : name) ascii &= static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
        if (token.size() != name.size()) return false;
        for (std::size_t i = 0; i < token.size(); ++i) {
            char a = token[i], b = name[i];
            if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
            if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
            if (a != b) return false;
        }
        return true;
    }
    scratch.assign(token);
    return orvstr_icmp(scratch.c_str(), std::string(name).c_str()) == 0;
}

// The level of an entry's privilege word; an unknown word counts as 0 (the
// reader skips such entries).
int entry_level(std::string_view text, const Entry &entry) {
    Line line;
    next_line(text, entry.begin, line);
    const std::string_view first = content(text, line);
    std::size_t at = 0;
    next_token(first, at);
    return std::max(level_of(next_token(first, at)), 0);
}

// ---- Files ----

// The identity of a file's content as the system reports it; a changed file
// has another inode, size or modification time.
struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};

    static FileId of(const struct stat &st) noexcept {
        return FileId{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
    }
    bool operator==(const FileId &o) const noexcept {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

// Reads a whole file. false with errno set when it cannot be read.
bool read_whole_file(const std::string &path, std::string &text, FileId *id) {
    struct stat st{};
    if (const int err = orv::files::read_whole_file(path.c_str(), text, &st)) {
        errno = err;
        return false;
    }
    if (id) *id = FileId::of(st);
    return true;
}

std::string parent_of(const std::string &path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Syncs the directory holding path so that a rename in it is on the disk.
void sync_directory_of(const std::string &path) {
    const std::string dir = parent_of(path);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || fsync(fd) != 0) {
        const int err = errno;
        tr_trace(__FILE__, __LINE__, tr_MID, "Unable to sync directory \"%s\": %s", dir.c_str(),
                 error_text(err).c_str());
    }
    if (fd >= 0) ::close(fd);
}

// Removes the temporary copy left by a failed rewrite; reports a failure.
void remove_temporary(const std::string &temporary) {
    struct stat st{};
    if (lstat(temporary.c_str(), &st) != 0) return;
    if (orv::files::sys().unlink(temporary.c_str()) == 0) return;
    const int err = errno;
    tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "cf", nullptr, "Failed to cleanup temp file");
    std::fprintf(stderr, "Failed to cleanup temp file: %s\n", error_text(err).c_str());
}

// ---- The per-domain search slots (module state, written only here) ----

// The path last searched in a domain, the text the search read from it (and
// the identity of the file it came from), and where the last search stopped.
struct SearchSlot {
    std::string path;
    bool open = false;
    std::string text;
    FileId id;
    std::size_t offset = 0;

    void close() noexcept {
        open = false;
        path.clear();
        std::string().swap(text);
        offset = 0;
    }
};

std::array<SearchSlot, kDomainCount> Search_slots;

// Drops every slot that holds path.
void close_slots_of(const std::string &path) noexcept {
    for (SearchSlot &slot : Search_slots)
        if (slot.open && slot.path == path) slot.close();
}

// The slot of domain holding the current text of path, read now unless the
// slot holds it already. *resumed tells whether the slot was kept. Null (errno
// set) when the file cannot be read.
SearchSlot *slot_for(int domain, const std::string &path, bool *resumed) {
    SearchSlot &slot = Search_slots[static_cast<std::size_t>(domain)];
    if (slot.open && slot.path == path) {
        struct stat st{};
        if (::stat(path.c_str(), &st) == 0 && FileId::of(st) == slot.id) {
            if (resumed) *resumed = true;
            return &slot;
        }
    }
    slot.close();
    if (resumed) *resumed = false;
    if (!read_whole_file(path, slot.text, &slot.id)) {
        const int err = errno;
        slot.close();
        errno = err;
        return nullptr;
    }
    slot.open = true;
    slot.path = path.substr(0, static_cast<std::size_t>(kMaxPath));
    slot.offset = 0;
    return &slot;
}

// ---- Reports of the directory and file creation ----

void report_dir(const char *fmt, const std::string &path) {
    tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "cf", "Directory Creation Error", fmt,
             path.c_str());
}

std::string standardized(const std::string &path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '/' && !out.empty() && out.back() == '/') continue;
        out += c;
    }
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

}  // namespace

std::string temporary_path(const std::string &path) { return path + "+"; }

int force_dir(const std::string &path) {
    if (path.empty() || path.size() > static_cast<std::size_t>(kMaxPath)) {
        report_dir("Unable to standardize file path: %s", path);
        return cf_FILE_NCREATE;
    }
    const std::string dir = standardized(path);
    struct stat st{};
    if (::stat(dir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return 0;
        report_dir("There is already a non-directory file with the name: %s", dir);
        return cf_FILE_NCREATE;
    }
    const std::size_t slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        const int status = force_dir(dir.substr(0, slash));
        if (status != 0) return status;
    }
    if (::mkdir(dir.c_str(), 0775) != 0 && errno != EEXIST) {
        report_dir("Unable to create a directory with the name: %s", dir);
        return cf_FILE_NCREATE;
    }
    return 0;
}

int force_file(const std::string &path) {
    const int status = force_dir(parent_of(path));
    if (status != 0) return status;
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0) return 0;
    const int fd = orv::files::sys().open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                                          0664);
    if (fd < 0 && errno != EEXIST) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "cf", "File Creation Error",
                 "Unable to create configuration file: %s", path.c_str());
        return cf_FILE_NCREATE;
    }
    if (fd >= 0) ::close(fd);
    close_slots_of(path);
    return 0;
}

int find_entry(const std::string &path, int domain, std::string_view name, unsigned behavior,
               int *level, std::vector<std::string> *values) {
    if (static_cast<unsigned>(domain) >= static_cast<unsigned>(kDomainCount)) return cf_BAD_DOMAIN;
    bool resumed = false;
    SearchSlot *slot = slot_for(domain, path, &resumed);
    if (!slot) {
        tr_trace(__FILE__, __LINE__, tr_MID, "Unable to access configuration file \"%s\"",
                 path.c_str());
        return cf_FILE_NACCESS;
    }
    const std::string wanted(name);
    const std::string_view text = slot->text;
    const std::size_t start = resumed ? std::min(slot->offset, text.size()) : 0;
    std::string scratch;

    // Scans from one offset; stops after the entry starting at last (when
    // given). 1 when the scan ended without a match, else the status.
    auto scan = [&](std::size_t from, std::optional<std::size_t> last) -> int {
        Entry entry;
        for (std::size_t pos = from; next_entry(text, pos, entry); pos = entry.end) {
            if (last && entry.begin > *last) break;
            slot->offset = entry.begin;
            if (entry.unterminated) {
                const std::string gathered = joined(text, entry);
                tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "UNEX_EOF", "cf",
                         "Unexpected end of file in file \"%s\"\n\t\tentry: %s", path.c_str(),
                         gathered.c_str());
                return cf_UNEX_EOF;
            }
            if (!same_name(entry, wanted, scratch)) continue;

            const std::string line = joined(text, entry);
            std::size_t at = 0;
            next_token(line, at);
            const auto word = next_token(line, at);
            const int found_level = level_of(word);
            if (found_level < 0) {
                const std::string shown = word ? std::string(*word) : std::string("non-existent");
                tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "BAD_PRIV", "cf",
                         "Invalid privilege value (%s) in entry for parameter: %s", shown.c_str(),
                         wanted.c_str());
                return cf_BAD_PRIV;
            }
            if (level) *level = found_level;
            StringList raw;
            while (auto token = next_token(line, at)) raw.emplace_back(*token);
            if (raw.size() >= 2 && raw.back().size() > 1 && ends_with_quote(raw.back()))
                raw.back().pop_back();
            StringList expanded;
            const StringList *result = nullptr;
            const int status = expand_values(&raw, behavior, expanded, &result);
            if (status != 0) return status;
            if (result->empty()) return cf_NO_VALUES;
            if (result->size() > static_cast<std::size_t>(cf_MAX_VALUES)) {
                tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "NVALUE_OVL", "cf",
                         "Too many values for configuration parameter \"%s\"", wanted.c_str());
                return cf_NVALUE_OVL;
            }
            if (values) *values = *result;
            return 0;
        }
        return 1;
    };

    int status = scan(start, std::nullopt);
    if (status == 1 && start > 0) status = scan(0, start);
    if (status != 1) return status;
    if (start == 0)
        tr_trace(__FILE__, __LINE__, tr_LOW, "The entire file has been searched ...");
    return cf_NOT_FOUND;
}

namespace {

// The current text of the file for an edit: the slot's when it holds the
// file unchanged, else read now. Null when the file cannot be read.
const std::string *text_for_edit(int domain, const std::string &path) {
    if (static_cast<unsigned>(domain) >= static_cast<unsigned>(kDomainCount)) return nullptr;
    SearchSlot *slot = slot_for(domain, path, nullptr);
    if (!slot) {
        const int err = errno;
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "cf", nullptr,
                 "Unable to read configuration file \"%s\": %s", path.c_str(),
                 error_text(err).c_str());
        return nullptr;
    }
    return &slot->text;
}

// Copies text without the entries of name (only the first when first_only),
// writing replacement in place of the first. Entries skipped above max_level
// stop the edit: cf_INSUF_PRIV with *refused_level. 0 with *matched set.
int edit_entries(std::string_view text, std::string_view name, bool first_only,
                 std::string_view replacement, int max_level, int *refused_level,
                 std::string &out, bool &matched) {
    const std::string wanted(name);
    std::string scratch;
    matched = false;
    out.clear();
    out.reserve(text.size() + replacement.size());
    Entry entry;
    for (std::size_t pos = 0; next_entry(text, pos, entry); pos = entry.end) {
        if (!same_name(entry, wanted, scratch)) {
            out.append(text.substr(entry.begin, entry.end - entry.begin));
            continue;
        }
        const int level = entry_level(text, entry);
        if (level > max_level) {
            if (refused_level) *refused_level = level;
            return cf_INSUF_PRIV;
        }
        if (!matched) out.append(replacement);
        matched = true;
        // Later entries of the name stay when only the first is replaced.
        if (first_only) {
            out.append(text.substr(entry.end));
            break;
        }
    }
    return 0;
}

}  // namespace

int replace_entry(const std::string &path, int domain, std::string_view name,
                  std::string_view entry, int max_level, int *refused_level) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "Copying the entire file: %s", path.c_str());
    const std::string *text = text_for_edit(domain, path);
    if (!text) return cf_FILE_NWRITE;
    std::string out;
    bool matched = false;
    const int status =
        edit_entries(*text, name, true, entry, max_level, refused_level, out, matched);
    if (status != 0) return status;
    if (!matched) {
        out += '\n';
        out.append(entry);
    }
    close_slots_of(path);
    return write_file_atomically(path, out);
}

int add_entry(const std::string &path, int domain, std::string_view entry) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "Copying the entire file: %s", path.c_str());
    const std::string *text = text_for_edit(domain, path);
    if (!text) return cf_FILE_NWRITE;
    std::string out;
    out.reserve(text->size() + entry.size() + 1);
    out.append(*text);
    out += '\n';
    out.append(entry);
    close_slots_of(path);
    return write_file_atomically(path, out);
}

int remove_entry(const std::string &path, int domain, std::string_view name, int max_level,
                 int *refused_level) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "Copying the entire file: %s", path.c_str());
    const std::string *text = text_for_edit(domain, path);
    if (!text) return cf_FILE_NWRITE;
    std::string out;
    bool matched = false;
    const int status = edit_entries(*text, name, false, {}, max_level, refused_level, out, matched);
    if (status != 0) return status;
    if (!matched) return cf_NOT_FOUND;
    close_slots_of(path);
    return write_file_atomically(path, out);
}

int write_file_atomically(const std::string &path, std::string_view text) {
    close_slots_of(path);
    const std::string temporary = temporary_path(path);
    // The new file keeps the permission bits of the one it replaces.
    mode_t mode = 0664;
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;

    // Made new: a stale copy or a link planted under the name is removed, and
    // no link is followed (the writers' lock keeps other writers away).
    const int fd = orv::files::open_new_file(temporary.c_str(), O_WRONLY, mode);
    if (fd < 0) {
        tr_trace(__FILE__, __LINE__, tr_MID, "Unable to create new output file: %s",
                 temporary.c_str());
        remove_temporary(temporary);
        return cf_FILE_NWRITE;
    }
    if (fchmod(fd, mode) != 0)
        tr_trace(__FILE__, __LINE__, tr_MID, "Unable to keep the permissions of \"%s\"",
                 path.c_str());

    int err = orv::files::write_all(fd, text.data(), text.size());
    if (err == 0 && fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "cf", nullptr,
                 "Failed to write line to new file");
        std::fprintf(stderr, "fputs failed to copy to new file: %s\n", error_text(err).c_str());
        remove_temporary(temporary);
        return cf_FILE_NWRITE;
    }
    if (orv::files::sys().rename(temporary.c_str(), path.c_str()) != 0) {
        err = errno;
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "cf", nullptr,
                 "rename \"%s\" to \"%s\" failed: %s", temporary.c_str(), path.c_str(),
                 error_text(err).c_str());
        std::fprintf(stderr, "rename part of rewrite failed: %s\n", error_text(err).c_str());
        remove_temporary(temporary);
        return cf_FILE_NWRITE;
    }
    sync_directory_of(path);
    return 0;
}

void close_current_domain_files() noexcept {
    for (SearchSlot &slot : Search_slots) slot.close();
}

namespace {

// The variable a save writes for a key, or null: a variable without a level
// or without values counts as absent.
ORVConfigurationVariable *savable(ORVConfigurationTable &table, const std::string &key) {
    ORVConfigurationVariable *variable = table.variableForUpperKey(key);
    if (!variable || !variable->permission() || !variable->values() ||
        variable->values()->empty())
        return nullptr;
    return variable;
}

// Builds the entry line of a variable under name into line; false when it
// cannot be built (reported by the builder).
bool build_entry(const std::string &name, const ORVConfigurationVariable &variable,
                 std::vector<const char *> &pointers, char *line) {
    pointers.clear();
    for (const std::string &value : *variable.values()) pointers.push_back(value.c_str());
    return mk_entry(line, name.c_str(), *variable.permission(),
                    static_cast<int>(pointers.size()), pointers.data()) == 0;
}

}  // namespace

std::string saved_text(ORVConfigurationTable &table, int domain, std::string_view old_text,
                       bool updated_only) {
    const std::string prefix = std::string(domain_name(domain)) + ".";
    std::unordered_set<std::string> remembered;
    std::vector<const char *> pointers;
    std::string line_buffer(static_cast<std::size_t>(kEntrySize), '\0');
    char *line = line_buffer.data();
    std::string out;
    out.reserve(old_text.size() + 256);
    std::string key;
    std::string name;

    auto keep = [&](const Entry &entry) {
        Line physical;
        for (std::size_t pos = entry.begin; pos < entry.end && next_line(old_text, pos, physical);
             pos = physical.next) {
            out.append(content(old_text, physical));
            out += '\n';
        }
    };

    Entry entry;
    for (std::size_t pos = 0; next_entry(old_text, pos, entry); pos = entry.end) {
        if (!entry.has_name) {
            keep(entry);
            continue;
        }
        name.assign(entry.name);
        key = prefix;
        key += name;
        upper_in_place(key);
        ORVConfigurationVariable *variable = savable(table, key);
        if (!variable) {
            keep(entry);
            continue;
        }
        remembered.insert(key);
        if ((!updated_only || variable->isNew()) && build_entry(name, *variable, pointers, line))
            out += line;
        else
            keep(entry);
    }

    std::vector<std::string> added;
    table.forEachLive([&](std::size_t, const Record &r) {
        if (r.domain != domain) return;
        std::string stored = table.key(r);
        if (!remembered.count(stored)) added.push_back(std::move(stored));
    });
    std::sort(added.begin(), added.end());
    for (const std::string &stored : added) {
        ORVConfigurationVariable *variable = savable(table, stored);
        if (variable && build_entry(stored.substr(prefix.size()), *variable, pointers, line))
            out += line;
    }
    return out;
}

int save_domain_with_table(ORVConfigurationTable *table, int domain, const char *group,
                           bool updated_only) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "save_domain_with_table ( %#lx, %s, \"%s\", %d ) called",
             static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(table)),
             domain_name(domain), group ? group : "(null)", updated_only ? 1 : 0);
    if (static_cast<unsigned>(domain) >= static_cast<unsigned>(kDomainCount)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "BAD_DOMAIN", "cf",
                 "Invalid domain: %d.", domain);
        return cf_BAD_DOMAIN;
    }
    if (!group) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "FILE_NACCESS", "cf",
                 "Invalid group: %s.", "(null)");
        return cf_FILE_NACCESS;
    }
    if (!table) return cf_BAD_PARAM;
    if (!module_initialized()) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "NOT_INIT", "cf",
                 "Attempt to use function %s prior to init", "cf_save_domain_with_table()");
        return cf_NOT_INIT;
    }
    const char *dname = domain_name(domain);
    if (!table->isSaveAllowed()) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "READ_ONLY", "ORVCommonKit",
                 "In domain %s, attempting to save group \"%s\" marked read-only.", dname, group);
        return cf_READ_ONLY;
    }
    if (file_name_refused(domain, group)) return cf_FILE_NACCESS;
    const std::string path = domain_file_path(domain, group);
    tr_trace(__FILE__, __LINE__, tr_HIGH, "Writing domain %s for group \"%s\" to file \"%s\" ...",
             dname, group, path.c_str());
    if (tr_current_trace_level() <= tr_LOW)
        tr_trace(__FILE__, __LINE__, tr_LOW, "Table:\n%s", table->valuesDescription().c_str());
    if (force_file(path) != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "FILE_NCREATE", "ORVCommonKit",
                 "Could not force file \"%s\".", path.c_str());
        return cf_FILE_NCREATE;
    }
    // Held from the read of the file to the rename of its new copy.
    const DomainFileLock lock(path);
    if (lock.status() != 0) return lock.status();
    std::string old_text;
    if (!read_whole_file(path, old_text, nullptr)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "FILE_NACCESS", "ORVCommonKit",
                 "Could not read file \"%s\".", path.c_str());
        return cf_FILE_NACCESS;
    }
    const std::string new_text = saved_text(*table, domain, old_text, updated_only);
    if (new_text == old_text) {
        tr_trace(__FILE__, __LINE__, tr_LOW, "No change to file \"%s\". Write skipped.",
                 path.c_str());
        return 0;
    }
    if (write_file_atomically(path, new_text) != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "FILE_NMODIFY", "ORVCommonKit",
                 "Could not write to file \"%s\".", path.c_str());
        return cf_FILE_NWRITE;
    }
    tr_trace(__FILE__, __LINE__, tr_LOW, "Wrote domain %s for group \"%s\"", dname, group);
    return 0;
}

}  // namespace cf
