// Host names: the local host's name, virtual names from the configuration
// with their cache, the servers of the standard directories, and the network
// form of local paths. Holds the host name and the virtual-name cache.
#include "files/ut_host_seam.h"
#include "platform/objects.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include <netdb.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace orv::files {
namespace {

int real_statvfs(const char *path, struct statvfs *out) { return ::statvfs(path, out); }
int real_gethostname(char *name, std::size_t size) { return ::gethostname(name, size); }
bool real_host_exists(const char *name) {
    struct addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    struct addrinfo *found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0) return false;
    ::freeaddrinfo(found);
    return true;
}
int real_set_thread_nice(int nice) { return ::setpriority(PRIO_PROCESS, ::gettid(), nice); }

const HostCalls kRealHostCalls{real_statvfs, real_gethostname, real_host_exists,
                               real_set_thread_nice};

}  // namespace

HostCalls &host_calls() {
    static HostCalls calls = kRealHostCalls;
    return calls;
}

const HostCalls &real_host_calls() { return kRealHostCalls; }

}  // namespace orv::files

using namespace orv::files;

namespace {

constexpr const char *kModule = "ORVCommonKit";
constexpr const char *kUncTitle = "ut_convert_path_to_unc_path()";

// The local host's name once looked up; written by ut_gethostname.
std::string staticHostname;
bool staticHostnameKnown = false;
// Host name to virtual name, filled by ut_get_virtual_name_for_host_name and
// never emptied (nodes keep the returned strings in place).
std::unordered_map<std::string, std::string> *ourHostVirtualNameDictionary = nullptr;

bool is_separator(char c) { return c == '/' || c == '\\'; }

// True when path holds the directory "orv" (any case) between two separators.
bool has_orv_directory(const std::string &path) {
    for (std::size_t i = 0; i + 4 < path.size(); ++i)
        if (is_separator(path[i]) && is_separator(path[i + 4]) &&
            std::tolower(static_cast<unsigned char>(path[i + 1])) == 'o' &&
            std::tolower(static_cast<unsigned char>(path[i + 2])) == 'r' &&
            std::tolower(static_cast<unsigned char>(path[i + 3])) == 'v')
            return true;
    return false;
}

// "\\SERVER" of a network path "\\SERVER\share...", or "" for other paths.
std::string server_of(const char *path) {
    if (!path || std::strncmp(path, "\\\\", 2) != 0) return {};
    std::string copy(path, strnlen(path, 255));
    const std::size_t end = copy.find('\\', 2);
    return end == std::string::npos ? copy : copy.substr(0, end);
}

}  // namespace

namespace orv::files {
void forget_host_names() {
    staticHostname.clear();
    staticHostnameKnown = false;
    delete ourHostVirtualNameDictionary;
    ourHostVirtualNameDictionary = nullptr;
}
}  // namespace orv::files

extern "C" {

ORV_API const char *ut_gethostname(void) {
    if (!staticHostnameKnown) {
        char name[256] = "";
        if (host_calls().gethostname(name, sizeof name - 1) != 0) name[0] = '\0';
        name[sizeof name - 1] = '\0';
        staticHostname = name;
        staticHostnameKnown = true;
    }
    return staticHostname.c_str();
}

ORV_API const char *ut_get_virtual_name_for_host_name(const char *host) {
    const bool local = !host || !*host;
    if (local)
        tr_trace(__FILE__, __LINE__, tr_LOW,
                 "No host is supplied for\n\t\t  ut_get_virtual_name_for_host_name().  Using name "
                 "of local host");
    const std::string name = local ? ut_gethostname() : host;
    if (ourHostVirtualNameDictionary) {
        auto found = ourHostVirtualNameDictionary->find(name);
        if (found != ourHostVirtualNameDictionary->end()) return found->second.c_str();
    }
    if (!local && !host_calls().host_exists(host)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "NSHost hostWithName", kModule,
                 "Cannot resolve host name '%s'", host);
        return nullptr;
    }
    bool started_here = false;
    if (!cf_is_init()) {
        if (cf_init(nullptr) != 0) {
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "cf_init()", kModule,
                     "Failed to initialize CF");
            return nullptr;
        }
        started_here = true;
    }
    char value[256] = "";
    int level = 0;
    const std::string variable = name + ".VIRTUAL_NAME";
    if (cf_get_string(cf_DOMAIN_SITE, "rarivurizez", variable.c_str(), &level, value, 255,
                      nullptr) != 0)
        tr_trace(__FILE__, __LINE__, tr_LOW, "VIRTUAL_NAME for host %s is not configured.",
                 name.c_str());
    if (started_here) cf_term();
    const std::string virtual_name = value[0] ? std::string(value) : name;
    tr_trace(__FILE__, __LINE__, tr_HIGH, "Using %s as a resolved name for host %s.",
             virtual_name.c_str(), name.c_str());
    if (!ourHostVirtualNameDictionary)
        ourHostVirtualNameDictionary = new std::unordered_map<std::string, std::string>;
    return ourHostVirtualNameDictionary->emplace(name, virtual_name).first->second.c_str();
}

ORV_API int ut_get_remote_shared_servers(int *count, char ***names) {
    if (!count || !names) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Invalid Parameter", kModule,
                 "Invalid NULL parameter to ut_get_remote_shared_servers()!");
        return -1;
    }
    const char *const keys[] = {ORVSysConfigPathName, ORVSiteConfigPathName,
                                ORVUserConfigPathName, ORVSysDataPathName, ORVSiteDataPathName};
    std::vector<std::string> servers;
    for (const char *key : keys) {
        const std::string server = server_of(ut_orv_path_cstring_with_name(key));
        if (server.empty()) continue;
        bool seen = false;
        for (const std::string &s : servers) seen = seen || s == server;
        if (!seen) servers.push_back(server);
    }
    char **array = static_cast<char **>(std::calloc(servers.size() + 1, sizeof(char *)));
    if (!array) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "OUT OF MEMORY", kModule,
                 "Failed to allocate the list of shared servers.");
        return -1;
    }
    for (std::size_t i = 0; i < servers.size(); ++i) {
        array[i] = static_cast<char *>(std::calloc(256, 1));
        if (!array[i]) {
            ut_free_string_array(static_cast<int>(i), array);
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "OUT OF MEMORY", kModule,
                     "Failed to allocate the list of shared servers.");
            return -1;
        }
        std::strncpy(array[i], servers[i].c_str(), 255);
    }
    *count = static_cast<int>(servers.size());
    *names = array;
    return 0;
}

ORV_API void ut_free_string_array(int count, char **array) {
    if (!array) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Invalid Parameter", kModule,
                 "Invalid NULL parameter to ut_free_string_array()!");
        return;
    }
    for (int i = 0; i < count; ++i) std::free(array[i]);
    std::free(array);
}

ORV_API const char *ut_convert_path_to_unc_path(const char *path, const char *host) {
    tr_trace(__FILE__, __LINE__, tr_MID, "Attempting to UNC-ficate '%s' from host '%s'",
             path ? path : "", host ? host : "");
    if (!path || !*path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, kUncTitle, kModule,
                 "Input path is NULL or empty.");
        return nullptr;
    }
    if (std::strncmp(path, "\\\\", 2) == 0) {
        const char *compare = host && *host ? host : ut_gethostname();
        const char *start = path;
        while (*start == '\\') ++start;
        const std::string server(start, std::strcspn(start, "\\"));
        if (server.empty()) {
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, kUncTitle, kModule,
                     "Dummy local path is supplied");
            return nullptr;
        }
        tr_trace(__FILE__, __LINE__, tr_MID, "Already an UNC path: %s", path);
        if (strcasecmp(server.c_str(), compare) != 0)
            tr_warning(__FILE__, __LINE__, tr_HIGH,
                       "Local path '%s' does not match passed or current host '%s'", path,
                       compare);
        return path;
    }
    const std::string text(path);
    const std::size_t first = text.find_first_not_of("/\\");
    const std::string drive =
        first == 0 ? text.substr(0, text.find_first_of("/\\")) : std::string();
    if (first == std::string::npos || drive.size() != 2 || drive[1] != ':') {
        if (first == std::string::npos)
            tr_warning(__FILE__, __LINE__, tr_HIGH, "Cannot split path '%s' into components",
                       path);
        else
            tr_warning(__FILE__, __LINE__, tr_HIGH, "No valid drive component in path '%s'",
                       path);
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, kUncTitle, kModule,
                 "Unable to get drive component.");
        return nullptr;
    }
    tr_trace(__FILE__, __LINE__, tr_MID, "Drive component in path '%s' is '%s'", path,
             drive.c_str());
    const char *virtual_name = ut_get_virtual_name_for_host_name(host);
    if (!virtual_name) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, kUncTitle, kModule,
                 "Error reading configuration to get virtual name for host");
        return nullptr;
    }
    std::string unc = std::string("\\\\") + virtual_name;
    if (!has_orv_directory(text)) {
        unc += '\\';
        unc += static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));
    }
    unc += text.substr(2);
    tr_trace(__FILE__, __LINE__, tr_MID, "UNC path is %s", unc.c_str());
    return ORVString::temporary(unc)->cString();
}

}  // extern "C"
