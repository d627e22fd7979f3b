// Loading the behavior file: "behavior.plist" in the "cf" folder of the system
// data directory names, per group, a default behavior and per-variable (or
// per-pattern) behaviors as hexadecimal texts. Every group it names gets a
// table at module start; the group named group always gets a table with
// behavior 0.
#pragma once

#include "config/ORVConfigurationTable.h"

#include <functional>
#include <string>
#include <string_view>

namespace cf {

// Receives each table the loader makes, with its group name in upper case.
// The receiver keeps its own reference if it wants the table.
using TableStore = std::function<void(const std::string &group, ORVConfigurationTable *table)>;

// Full path of the behavior file ("<sys data>/cf/behavior.plist"), or "" when
// the system data directory does not resolve.
std::string behavior_file_path();

// Reads the installed behavior file (path: behavior_file_path()) and stores
// its tables in the module's cache (cf::store_table). 0, or cf_BEHAVIOR_FILE
// (-4982) after reporting the fault; tables stored before a fatal fault stay
// stored.
int load_behaviors(const std::string &path);
// The same for a given file and receiver. A file whose text is the same as
// at the last load without a fault gives the same tables and traces again
// without being parsed.
int load_behaviors_from_file(const std::string &path, const TableStore &store);
// The same for the text of a behavior file (no file is read).
int load_behaviors_from_text(std::string_view text, const TableStore &store);

// Reads a behavior text: hexadecimal digits with an optional leading "0x"
// (blanks around are allowed). False when it is not such a number.
bool parse_behavior_hex(std::string_view text, unsigned &value) noexcept;

}  // namespace cf
