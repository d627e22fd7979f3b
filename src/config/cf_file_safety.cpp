// Checks of the configuration files that other accounts could have changed:
// the warning at start-up about world-writable domain and behavior files.
#include "config/cf_file_safety.h"

#include "config/cf_module.h"

#include <ORVCommonKit/cfdefs.h>
#include <ORVCommonKit/tr.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <string_view>

namespace cf {

namespace {

// A name that a domain file can have: "<group>.base", "<group>.site", or
// "<group>.user" with optional user and user-domain parts; not the writers'
// lock files ("<file>.lock") beside them.
bool domain_file_name(std::string_view name) {
    auto ends_with = [&](std::string_view tail) {
        return name.size() > tail.size() && name.substr(name.size() - tail.size()) == tail;
    };
    if (ends_with(".lock")) return false;
    return ends_with(".base") || ends_with(".site") || ends_with(".user") ||
           name.find(".user.") != std::string_view::npos;
}

bool writable_by_all(const struct stat &st) { return S_ISREG(st.st_mode) && (st.st_mode & S_IWOTH) != 0; }

void warn_writable(const char *path, const struct stat &st) {
    tr_warning(__FILE__, __LINE__, tr_APP,
               "Configuration file \"%s\" can be written by every user (mode %04o): whoever "
               "writes it can change this program's configuration",
               path, static_cast<unsigned>(st.st_mode & 07777));
}

}  // namespace

void report_writable_files(const std::string &behavior_file) {
    for (int domain = cf_DOMAIN_SYS; domain <= cf_DOMAIN_USER; ++domain) {
        const std::string &dir = search_path(domain);
        bool again = false;
        for (int earlier = 0; earlier < domain; ++earlier) again = again || search_path(earlier) == dir;
        if (dir.empty() || again) continue;
        DIR *d = ::opendir(dir.c_str());
        if (!d) continue;
        while (const struct dirent *entry = ::readdir(d)) {
            if (!domain_file_name(entry->d_name)) continue;
            struct stat st;
            if (::fstatat(::dirfd(d), entry->d_name, &st, 0) != 0 || !writable_by_all(st)) continue;
            warn_writable((dir + "/" + entry->d_name).c_str(), st);
        }
        ::closedir(d);
    }
    struct stat st;
    if (!behavior_file.empty() && ::stat(behavior_file.c_str(), &st) == 0 && writable_by_all(st))
        warn_writable(behavior_file.c_str(), st);
}

}  // namespace cf
