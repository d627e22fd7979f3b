// Checks of the configuration files that other accounts could have changed.
#pragma once

#include <string>

namespace cf {

// Warns once for every domain file in the three configuration directories,
// and for the behavior file, that other users can write: such files are read
// as usual, but whoever can write them can change this program's
// configuration, and an operator wants to know. Called when the module starts,
// with the behavior file's path as behavior_file_path() gives it.
void report_writable_files(const std::string &behavior_file);

}  // namespace cf
