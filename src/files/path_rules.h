// Path-name rules shared by the files family: separators, the component
// operations (last component, delete last component, append, extension) and
// the root-directory test. Both "/" and "\" are separators; "/" is added.
#pragma once

#include <string>
#include <string_view>

namespace orv::files {

inline bool is_separator(char c) { return c == '/' || c == '\\'; }

// The last component; trailing separators are ignored. "/" stays "/".
std::string last_path_component(std::string_view path);
// The path without its last component and the separators before it.
std::string delete_last_path_component(std::string_view path);
// path + exactly one "/" + component.
std::string append_path_component(std::string_view path, std::string_view component);
// The same in place: path becomes the result.
void append_path_component_to(std::string &path, std::string_view component);
// Text after the last "." of the last component, without the dot.
std::string path_extension(std::string_view path);
// The last component without its extension.
std::string last_component_sans_extension(std::string_view path);
// The path without the extension of its last component.
std::string delete_path_extension(std::string_view path);
// Runs of separators become one "/", "." components go, and trailing
// separators are dropped (a lone root stays).
std::string standardize_path(std::string_view path);
// "/", "\", "C:", "c:/", "D:\" (the null and empty cases belong to the caller).
bool is_root_path(std::string_view path);

}  // namespace orv::files
