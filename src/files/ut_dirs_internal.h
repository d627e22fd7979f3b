// Internal hooks of the standard-directory lookups.
#pragma once

namespace orv::files {

// Drops the loaded directory map so that the next lookup reads it again from
// the bundle (which a test may have pointed elsewhere). Not for library code:
// the map is otherwise kept for the life of the process.
void forget_path_dictionary();

}  // namespace orv::files
