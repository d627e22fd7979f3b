// Directory operations used across the files family's translation units.
#pragma once

#include "platform/filemanager.h"

namespace orv::files {

// ut_remove_path_ex_with_handler for a handler of the C++ protocol (null: stop
// at the first failure). 0, -9998 or an errno value. Visible outside the
// shared library for the tests of the handler protocol.
int remove_path_with_handler(const char *path, orv::FileHandler *handler);

}  // namespace orv::files
