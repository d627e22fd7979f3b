// Internal hooks of the standard-directory lookups.
#pragma once

#include <optional>
#include <string>

namespace orv::files {

// The directory of a path-name key as ut_orv_path_with_name gives it, without
// making a temporary string object; absent where that gives null. For the
// library's own callers that keep the path as a std::string.
std::optional<std::string> standard_path(const char *key);

// Drops the loaded directory map so that the next lookup reads it again from
// the bundle (which a test may have pointed elsewhere). Not for library code:
// the map is otherwise kept for the life of the process.
void forget_path_dictionary();

}  // namespace orv::files
