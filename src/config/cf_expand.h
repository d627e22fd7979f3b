// Expansion terms: named lists of elements (usually host names) defined in
// the group named group by LIST_OF_GROUPS and one variable per term, loaded
// once on first need; and value expansion of "$TERM" and "$TERM:rest".
//
// The forward lookup (ExpansionLookupDict) maps a term in upper case to its
// elements as written; the reverse lookup (ExpansionReverseLookupDict) maps
// an element in upper case to the terms holding it, in definition order.
#pragma once

#include "config/ORVConfigurationTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace cf {

using StringList = std::vector<std::string>;

// Loads the terms from the group named group unless they are loaded already.
// 0 (also when the group defines no terms: then nothing is marked loaded and
// the next need looks again), cf_EXPAND (-4981) for a bad definition, or the
// status of failing to get the group's table; every failure is reported
// once and leaves the previous terms in place.
int load_expansion_terms();
// The same from a given table of the group named group (used by tests and by
// callers that hold the table already).
int load_expansion_terms_from_table(ORVConfigurationTable *groupTable);
// True after a successful load, until release_expansion_terms.
bool expansion_terms_loaded() noexcept;
// Forgets the terms (module end).
void release_expansion_terms() noexcept;

// The elements of a term given in upper case, or null when unknown.
const StringList *expansion_elements(std::string_view upperTerm) noexcept;
// The terms (upper case) whose elements include an element given in upper
// case, in definition order, or null when none.
const StringList *expansion_terms_for_element(std::string_view upperElement) noexcept;

// Descriptions of both lookups, for traces.
std::string expansion_lookup_description();
std::string expansion_reverse_lookup_description();

// Expands values under behavior. When values are absent or behavior has
// neither cf_BEHAVIOR_EXPAND_SUFFIXED nor cf_BEHAVIOR_EXPAND_LIST, *out is
// values themselves, not copied; otherwise *out lists expanded, the new
// list. "$$X" stands for the literal "$X". 0, or the failure's status
// (reported; *out not set).
int expand_values(ValueList values, unsigned behavior, FlatValues &expanded, ValueList *out);
// The same over a list of strings (null: absent); *out is values itself or
// &expanded.
int expand_values(const StringList *values, unsigned behavior, StringList &expanded,
                  const StringList **out);

}  // namespace cf
