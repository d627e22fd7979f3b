// orvkit dirs, path, copy and rm-tree: the standard directories and the
// library's tree copy and removal from the command line.
#include "cmdline.h"
#include "json.h"
#include "orvkit.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

namespace {

const char *const kKeys[] = {
    "ORV_ROOT_PATH",        "ORV_SITE_PATH",       "ORV_LOG_PATH",          "ORV_TEMP_PATH",
    "ORV_SITE_CONFIG_PATH", "ORV_SITE_DATA_PATH",  "ORV_SYS_PATH",          "ORV_APPS_PATH",
    "ORV_BUNDLE_PATH",      "ORV_SYS_CONFIG_PATH", "ORV_SYS_DATA_PATH",     "ORV_FRAMEWORK_PATH",
    "ORV_SERVER_PATH",      "ORV_UTILITY_PATH",    "ORV_PRIVATE_UTILITY_PATH", "ORV_USER_PATH",
    "ORV_USER_CONFIG_PATH", "ORV_USER_DATA_PATH"};

// Library errors and warnings go to standard error; traces are dropped so
// that standard output carries only the command's answer.
void to_stderr(const char *text, int kind) {
    if (kind == tr_KIND_ERROR || kind == tr_KIND_WARNING) std::fprintf(stderr, "%s\n", text);
}

void quiet_library() { tr_init_with_call_back(to_stderr); }

int run_dirs(int argc, char **argv);
int run_path(int argc, char **argv);
int run_copy(int argc, char **argv);
int run_rm_tree(int argc, char **argv);

const orvkit::Command kDirs{
    "dirs", "Show every standard directory",
    "usage: orvkit dirs [--json]\n"
    "\n"
    "Prints each path-name key with the directory it resolves to, one per line,\n"
    "through the ORV_*_PATH environment variables and the library's directory map.\n"
    "A key that does not resolve shows \"(unresolved)\" (null in JSON).\n"
    "\n"
    "  -j, --json   print one JSON object from key to directory\n",
    run_dirs};
const orvkit::Command kPath{
    "path", "Show the directory of one path-name key",
    "usage: orvkit path KEY [--json]\n"
    "\n"
    "Prints the directory that KEY (for example ORV_LOG_PATH) resolves to.\n"
    "Exit status 1 when the key does not resolve.\n"
    "\n"
    "  -j, --json   print one JSON object: key, path (null when unresolved)\n",
    run_path};
const orvkit::Command kCopy{
    "copy", "Copy a file or a directory tree",
    "usage: orvkit copy SRC DST\n"
    "\n"
    "Copies the file SRC onto DST (replacing it), or the directory tree SRC into\n"
    "DST (which is created, or merged into when it exists; a file of the same name\n"
    "already there is an error). Symbolic links are copied as links. Progress of big\n"
    "trees is shown on standard error.\n",
    run_copy};
const orvkit::Command kRmTree{
    "rm-tree", "Remove a directory tree",
    "usage: orvkit rm-tree DIR --yes\n"
    "\n"
    "Removes DIR and everything below it. Symbolic links inside are removed as\n"
    "links; what they point to is left alone. A root directory is refused.\n"
    "\n"
    "  -y, --yes    really remove (required)\n",
    run_rm_tree};

const orvkit::Registrar dirs_registrar(kDirs);
const orvkit::Registrar path_registrar(kPath);
const orvkit::Registrar copy_registrar(kCopy);
const orvkit::Registrar rm_tree_registrar(kRmTree);

int run_dirs(int argc, char **argv) {
    bool json = false;
    orvkit::CommandLine line(kDirs);
    line.flag('j', "json", &json);
    if (const int status = line.parse(argc, argv, 0, 0)) return status;
    quiet_library();
    size_t width = 0;
    for (const char *key : kKeys) width = std::max(width, std::strlen(key));
    orvkit::Json doc = orvkit::Json::object();
    bool any_failed = false;
    for (const char *key : kKeys) {
        const char *path = ut_orv_path_cstring_with_name(key);
        any_failed |= path == nullptr;
        if (json)
            doc[key] = orvkit::text(path);
        else
            std::printf("%-*s  %s\n", static_cast<int>(width), key, path ? path : "(unresolved)");
    }
    if (json) orvkit::print_json(doc);
    return any_failed ? orvkit::kFailed : orvkit::kOk;
}

int run_path(int argc, char **argv) {
    bool json = false;
    orvkit::CommandLine line(kPath);
    line.flag('j', "json", &json);
    if (const int status = line.parse(argc, argv, 1, 1)) return status;
    quiet_library();
    const char *key = line.operand(0);
    const char *path = ut_orv_path_cstring_with_name(key);
    if (json)
        return orvkit::print_json({{"key", orvkit::text(key)}, {"path", orvkit::text(path)}},
                                  path ? orvkit::kOk : orvkit::kFailed);
    if (!path) {
        std::fprintf(stderr, "orvkit path: %s does not resolve to a directory\n", key);
        return orvkit::kFailed;
    }
    std::printf("%s\n", path);
    return orvkit::kOk;
}

long Files_copied = 0;

void report_progress(const char *) {
    ++Files_copied;
    if (Files_copied % 1000 == 0) std::fprintf(stderr, "\rcopied %ld files", Files_copied);
}

int run_copy(int argc, char **argv) {
    orvkit::CommandLine line(kCopy);
    if (const int status = line.parse(argc, argv, 2, 2)) return status;
    quiet_library();
    const char *source = line.operand(0);
    const char *destination = line.operand(1);
    struct stat st;
    if (::stat(source, &st) != 0) {
        std::fprintf(stderr, "orvkit copy: %s: %s\n", source, std::strerror(errno));
        return orvkit::kFailed;
    }
    int result;
    if (S_ISDIR(st.st_mode)) {
        Files_copied = 0;
        result = ut_dir_copy_with_callback(source, destination, report_progress);
        if (Files_copied >= 1000) std::fprintf(stderr, "\rcopied %ld files\n", Files_copied);
    } else {
        result = ut_file_copy(source, destination);
    }
    return result == 0 ? orvkit::kOk : orvkit::kFailed;
}

int run_rm_tree(int argc, char **argv) {
    bool yes = false;
    orvkit::CommandLine line(kRmTree);
    line.flag('y', "yes", &yes);
    if (const int status = line.parse(argc, argv, 1, 1)) return status;
    if (!yes) return orvkit::usage_error(kRmTree, "refusing to remove %s without --yes", line.operand(0));
    quiet_library();
    const int result = ut_remove_path(line.operand(0));
    if (result != 0) {
        if (result > 0)
            std::fprintf(stderr, "orvkit rm-tree: %s: %s\n", line.operand(0), std::strerror(result));
        return orvkit::kFailed;
    }
    return orvkit::kOk;
}

}  // namespace
