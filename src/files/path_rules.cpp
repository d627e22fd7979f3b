// The component operations of path names, on plain strings.
#include "files/path_rules.h"

namespace orv::files {

namespace {

// Length of the path once trailing separators are removed; a path made only of
// separators keeps its first one.
size_t trimmed_length(std::string_view path) {
    size_t n = path.size();
    while (n > 1 && is_separator(path[n - 1])) --n;
    return n;
}

size_t last_separator(std::string_view path, size_t end) {
    for (size_t i = end; i > 0; --i)
        if (is_separator(path[i - 1])) return i - 1;
    return std::string_view::npos;
}

}  // namespace

std::string last_path_component(std::string_view path) {
    const size_t n = trimmed_length(path);
    if (n == 1 && is_separator(path[0])) return std::string(path.substr(0, 1));
    const size_t sep = last_separator(path, n);
    const size_t start = sep == std::string_view::npos ? 0 : sep + 1;
    return std::string(path.substr(start, n - start));
}

std::string delete_last_path_component(std::string_view path) {
    const size_t n = trimmed_length(path);
    if (n == 1 && is_separator(path[0])) return std::string(path.substr(0, 1));
    const size_t sep = last_separator(path, n);
    if (sep == std::string_view::npos) return std::string();
    size_t end = sep;
    while (end > 0 && is_separator(path[end - 1])) --end;
    if (end == 0) return std::string(path.substr(0, 1));  // the root itself
    return std::string(path.substr(0, end));
}

std::string append_path_component(std::string_view path, std::string_view component) {
    std::string out(path);
    append_path_component_to(out, component);
    return out;
}

void append_path_component_to(std::string &path, std::string_view component) {
    size_t first = 0;
    while (first < component.size() && is_separator(component[first])) ++first;
    component.remove_prefix(first);
    if (path.empty()) {
        path.assign(component);
        return;
    }
    size_t n = path.size();
    while (n > 0 && is_separator(path[n - 1])) --n;
    if (component.empty()) {
        path.resize(n == 0 ? 1 : n);
        return;
    }
    path.resize(n);
    path += '/';
    path += component;
}

std::string path_extension(std::string_view path) {
    const std::string last = last_path_component(path);
    const size_t dot = last.rfind('.');
    if (dot == std::string::npos || (last.size() == 1 && is_separator(last[0]))) return std::string();
    return last.substr(dot + 1);
}

std::string last_component_sans_extension(std::string_view path) {
    std::string last = last_path_component(path);
    const size_t dot = last.rfind('.');
    if (dot != std::string::npos) last.erase(dot);
    return last;
}

std::string delete_path_extension(std::string_view path) {
    const size_t n = trimmed_length(path);
    const size_t sep = last_separator(path, n);
    const size_t start = sep == std::string_view::npos ? 0 : sep + 1;
    const std::string_view last = path.substr(start, n - start);
    const size_t dot = last.rfind('.');
    if (dot == std::string_view::npos || last.empty()) return std::string(path.substr(0, n));
    return std::string(path.substr(0, start + dot));
}

std::string standardize_path(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    size_t i = 0;
    if (!path.empty() && is_separator(path[0])) {
        out += '/';
        while (i < path.size() && is_separator(path[i])) ++i;
    }
    while (i < path.size()) {
        size_t j = i;
        while (j < path.size() && !is_separator(path[j])) ++j;
        const std::string_view part = path.substr(i, j - i);
        if (part != "." && !part.empty()) {
            if (!out.empty() && out.back() != '/') out += '/';
            out += part;
        }
        i = j;
        while (i < path.size() && is_separator(path[i])) ++i;
    }
    return out;
}

bool is_root_path(std::string_view path) {
    if (path.size() > 3) return false;
    if (path.size() == 1 && is_separator(path[0])) return true;
    const bool letter = !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (!letter || path.size() < 2 || path[1] != ':') return false;
    return path.size() == 2 || (path.size() == 3 && is_separator(path[2]));
}

}  // namespace orv::files
