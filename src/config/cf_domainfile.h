// Domain files: the file names of a group in each domain and the reader of
// their text format into an ORVConfigurationTable, plus the builder of the
// canonical entry line that every writer uses.
//
// Format, one entry per line: NAME PRIVILEGE VALUE ..., tokens separated by
// blanks, a token in double quotes may hold blanks; "#" as first token makes a
// comment; a line ending in a backslash continues on the next non-blank line.
#pragma once

#include "config/ORVConfigurationTable.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace cf {

// Longest physical line the reader takes at once, and size of an entry line.
inline constexpr int kMaxLine = 8191;
inline constexpr int kEntrySize = 8192;
// Longest file name and full path of a domain file.
inline constexpr int kMaxPath = 255;

// The privilege word of a level ("USER", "ADMIN", "INSTALL", "SYSTEM"), or
// null for another level.
const char *privilege_word(int level) noexcept;
// The level of a privilege word (any case), or -1.
int privilege_level(const char *word) noexcept;

// File name of group in domain (0 to 2): "group.base", "group.site",
// "group.user[.user[.user_domain]]" (user parts only for USER, and only when
// user is given; user_domain only with a user). Cut to 255 characters.
std::string domain_file_name(int domain, std::string_view group, const char *user,
                             const char *user_domain);
// The same with the module's current user and user domain.
std::string domain_file_name(int domain, std::string_view group);
// The module's directory of domain joined with the file name (255 at most);
// "" when a name part would leave the directory (see file_name_refused).
std::string domain_file_path(int domain, std::string_view group);
// True, after reporting it (FILE_NACCESS), when the group or, for the USER
// domain, the current user or user domain would take the domain file out of
// its configuration directory: a part holding a "/" or "\", or "." or "..".
// Every function that turns a group into a file path asks this first.
bool file_name_refused(int domain, const char *group);

// Reads every entry of an open domain file into table under domain (0 to 2),
// replacing variables of the same key. Reports bad privilege words and goes
// on; never fails otherwise.
void read_domain_stream(std::FILE *file, ORVConfigurationTable &table, int domain);
// The same over text held in memory (no file).
void read_domain_text(std::string_view text, ORVConfigurationTable &table, int domain);

// Reads one domain file of a group at an explicit path into *table (the
// cached or a new table when *table is null; that table is reset first).
// The module-facing cf_read_domain_with_table is this with the path built
// from the search path. 0, cf_BAD_DOMAIN, cf_FILE_NACCESS (reported; a
// missing file only warns and leaves *table as it was).
int read_domain_file(ORVConfigurationTable **table, int domain, const char *group,
                     const std::string &path);

}  // namespace cf
