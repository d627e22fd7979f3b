// Rewriting domain files: the entry search used before a single-entry change,
// the single-entry edits (replace the first entry of a name, append an entry,
// remove every entry of a name), whole-table saves, and making sure that a
// domain file and its directories exist.
//
// A rewrite never edits a file in place: the new text is written in full to
// the file's path with "+" appended, synced to the disk, renamed over the
// file, and the directory is synced, so that a crash at any moment leaves
// either the old or the new file whole.
//
// The entry search keeps one slot per domain (SYS, SITE, USER): the path last
// searched, the text it read and the offset of the entry where the search
// stopped, so that a run of changes to one file reads it once. Every rewrite
// drops the slots of the file it rewrites.
#pragma once

#include "config/ORVConfigurationTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace cf {

// The temporary copy a rewrite goes through: path + "+".
std::string temporary_path(const std::string &path);

// Makes sure the directory path exists, creating missing parents first.
// 0 or cf_FILE_NCREATE (reported: a non-directory in the way, a directory
// that cannot be created, a path longer than 255 characters).
int force_dir(const std::string &path);
// Makes sure the directory of path exists and path itself, creating it empty
// (permission bits 0664) when missing. 0 or cf_FILE_NCREATE (reported).
int force_file(const std::string &path);

// Finds the entry name (any case, as written) in the domain file at path,
// continuing in the domain's slot where the previous search of the same file
// stopped (and wrapping round to the start). On 0 and on cf_NO_VALUES *level
// gets the entry's level; on 0 values gets the values expanded with behavior.
// 0, cf_NO_VALUES, cf_NOT_FOUND, cf_FILE_NACCESS (the file cannot be read;
// only traced), cf_BAD_PRIV, cf_UNEX_EOF, cf_NVALUE_OVL (reported), or an
// expansion failure. level and values may be null.
int find_entry(const std::string &path, int domain, std::string_view name, unsigned behavior,
               int *level, std::vector<std::string> *values);

// Replaces the first entry of name in the file with entry (written exactly
// as given; appended when the file has no such entry). When the entry being
// replaced has a level above max_level the file is left alone and
// cf_INSUF_PRIV is returned with *refused_level set (not reported). 0,
// cf_FILE_NWRITE (reported).
int replace_entry(const std::string &path, int domain, std::string_view name,
                  std::string_view entry, int max_level, int *refused_level);
// Appends a line feed and entry at the end of the file. 0 or cf_FILE_NWRITE.
int add_entry(const std::string &path, int domain, std::string_view entry);
// Removes every entry of name, continuation lines included; other lines stay
// byte for byte. When one of them has a level above max_level nothing is
// removed and cf_INSUF_PRIV is returned with *refused_level set. 0,
// cf_NOT_FOUND (no such entry), cf_FILE_NWRITE.
int remove_entry(const std::string &path, int domain, std::string_view name, int max_level,
                 int *refused_level);

// Writes text as the whole new content of path through the temporary copy
// and one rename. 0 or cf_FILE_NWRITE; each failure is reported where it
// happens and the temporary copy is removed.
int write_file_atomically(const std::string &path, std::string_view text);

// Drops every search slot (module end); the next search reads the file again.
void close_current_domain_files() noexcept;

// The new text of a domain file when the table's variables of domain are
// saved into old_text: entries the table holds (a variable without values
// counts as absent) are rebuilt with mk_entry -- with updated_only, only
// those of variables marked new -- everything else is kept, and the
// remaining variables of the domain are appended, in name order.
std::string saved_text(ORVConfigurationTable &table, int domain, std::string_view old_text,
                       bool updated_only);

// Saves the table's variables of domain into the group's file of that domain
// (the current user's file for USER). The body of the exported save calls.
int save_domain_with_table(ORVConfigurationTable *table, int domain, const char *group,
                           bool updated_only);

}  // namespace cf
