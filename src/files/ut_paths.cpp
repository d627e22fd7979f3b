// Path and file-name manipulation on character strings: building full paths,
// separators, extracting names, extensions, parents and image numbers, the
// component operations and the root-directory test.
#include "files/fsutil.h"
#include "files/path_rules.h"
#include "platform/objects.h"

#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include <cstdio>
#include <cstring>
#include <string>

using namespace orv::files;

namespace {

constexpr const char *kModule = "ORVCommonKit";

// Copies at most max_len characters of text and a NUL into buffer.
void fill(char *buffer, const std::string &text, int max_len) {
    const size_t n = max_len <= 0 ? 0 : std::min(text.size(), static_cast<size_t>(max_len));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

// The checks shared by the name, name-without-extension and parent
// extractions; false after a report.
bool extraction_arguments_ok(const char *buffer, const char *full_path) {
    if (!full_path || !*full_path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "The full path is not specified!");
        return false;
    }
    if (!buffer) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "The buffer is not specified!");
        return false;
    }
    return true;
}

const char *temporary(const std::string &text) { return ORVString::temporary(text)->cString(); }

}  // namespace

extern "C" {

void ut_file_build_full_path(char *buffer, const char *base_path, const char *local_file_name, int max_len) {
    tr_trace(__FILE__, __LINE__, tr_MID, "ut_file_build_full_path (%p, \"%s\", \"%s\", %d) called",
             static_cast<void *>(buffer), shown(base_path), shown(local_file_name), max_len);
    if (!buffer) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "The buffer is not specified!");
        return;
    }
    if (!base_path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "Failed to allocate NSString for basePath");
        return;
    }
    std::string full;
    if (!local_file_name || !*local_file_name) {
        full = std::string(base_path) + "/";
    } else {
        full = append_path_component(base_path, local_file_name);
    }
    fill(buffer, full, max_len);
}

void ut_file_add_separator(char *buffer, int buffer_size) {
    if (!buffer) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "fullPathBfr is NULL.  Cannot add separator.");
        return;
    }
    tr_trace(__FILE__, __LINE__, tr_LOW, "ut_file_add_separator(\"%s\") called", buffer);
    // An empty path stays empty: a lone "/" would name the root.
    const size_t len = std::strlen(buffer);
    if (len == 0 || is_separator(buffer[len - 1])) return;
    if (buffer_size < 0 || static_cast<size_t>(buffer_size) < len + 2) return;
    buffer[len] = '/';
    buffer[len + 1] = '\0';
}

void ut_file_extract_name(char *buffer, const char *full_path, int max_len) {
    tr_trace(__FILE__, __LINE__, tr_MID, "ut_file_extract_name (..., \"%s\") called", shown(full_path));
    if (!extraction_arguments_ok(buffer, full_path)) return;
    fill(buffer, last_path_component(full_path), max_len);
}

void ut_file_extract_name_sans_ext(char *buffer, const char *full_path, int max_len) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "ut_file_extract_name_sans_ext(..., \"%s\") called", shown(full_path));
    if (!extraction_arguments_ok(buffer, full_path)) return;
    fill(buffer, last_component_sans_extension(full_path), max_len);
}

void ut_file_extract_ext(char *buffer, const char *full_path, int max_len) {
    tr_trace(__FILE__, __LINE__, tr_MID, "ut_file_extract_ext (..., \"%s\") called", shown(full_path));
    if (!full_path || !*full_path) return;
    if (!buffer) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "The buffer is not specified!");
        return;
    }
    fill(buffer, path_extension(full_path), max_len);
}

void ut_file_extract_parent_dir(char *buffer, const char *full_path, int max_len) {
    tr_trace(__FILE__, __LINE__, tr_MID, "ut_file_extract_parent_dir (..., \"%s\" ) called", shown(full_path));
    if (!extraction_arguments_ok(buffer, full_path)) return;
    fill(buffer, delete_last_path_component(full_path), max_len);
}

int ut_file_extract_image_number(const char *file_name) {
    if (!file_name || !*file_name) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "The file name is not specified!");
        return -1;
    }
    std::string lowered = file_name;
    for (char &c : lowered) c = orvchar_to_lower(c);
    const std::string last = last_path_component(lowered);
    int number = -1;
    if (std::sscanf(last.c_str(), "view%d.dcm", &number) != 1) return -1;
    return number;
}

const char *ut_last_path_component(const char *path) {
    return path ? temporary(last_path_component(path)) : nullptr;
}

const char *ut_append_path_component(const char *path, const char *component) {
    if (!path) return nullptr;
    return temporary(append_path_component(path, component ? component : ""));
}

const char *ut_delete_last_path_component(const char *path) {
    return path ? temporary(delete_last_path_component(path)) : nullptr;
}

unsigned char ut_is_root_directory(const char *path) {
    if (!path || !*path) {
        const char *word = missing_word(path);
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "InvalidPath", kModule,
                 "%s is sometimes considered to be the root directory.  It should not be used.  Returning YES... %s "
                 "is a root directroy.",
                 word, word);
        return 1;
    }
    return is_root_path(path) ? 1 : 0;
}

}  // extern "C"
