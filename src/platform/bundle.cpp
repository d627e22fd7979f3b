// Bundles: resource lookup, strings tables, and locating the library's own
// resource folder.
#include "platform/bundle.h"

#include "platform/plist.h"

#include <cstdlib>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>
#include <sys/stat.h>

#ifndef ORV_LIB_TO_RESOURCES
#define ORV_LIB_TO_RESOURCES "../share/ORVCommonKit"
#endif
#ifndef ORV_INSTALLED_RESOURCES
#define ORV_INSTALLED_RESOURCES "/usr/local/share/ORVCommonKit"
#endif

namespace {

bool isFile(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool isDirectory(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string ORVBundle::pathForResource(std::string_view name, std::string_view type) const {
    if (name.empty()) return {};
    std::string file = path;
    if (!file.empty() && file.back() != '/') file.push_back('/');
    file += name;
    if (!type.empty()) {
        if (type.front() != '.') file.push_back('.');
        file += type;
    }
    return isFile(file) ? file : std::string();
}

orv::Ref<ORVDictionary> ORVBundle::stringsTable(std::string_view table) const {
    std::string name(table.empty() ? std::string_view("Localizable") : table);
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = tables_.find(name);
    if (it != tables_.end()) return it->second;
    orv::Ref<ORVDictionary> dict;
    std::string file = pathForResource(name, "strings");
    if (!file.empty()) {
        auto obj = orv::plist::readFile(file);
        if (auto *d = orv::as<ORVDictionary>(obj.get())) dict = orv::Ref<ORVDictionary>::retain(d);
    }
    tables_.emplace(name, dict);
    return dict;
}

std::string ORVBundle::localizedString(std::string_view key, std::string_view value,
                                       std::string_view table) const {
    auto dict = stringsTable(table);
    if (dict) {
        if (const ORVObject *found = dict->objectForKey(key)) {
            if (const auto *s = orv::as<ORVString>(found)) return s->value;
            return found->description();
        }
    }
    if (!value.empty()) return std::string(value);
    return std::string(key);
}

void ORVBundle::describeTo(std::string &out, int) const {
    orv::plist::appendQuoted(out, "ORVBundle <" + path + ">");
}

namespace orv {

namespace {

std::mutex g_bundleMutex;
std::string g_bundleOverride;             // set by setCommonBundlePath
ORVBundle *g_commonBundle = nullptr;      // ORVCommonBundle's kept bundle
// Earlier bundles stay valid for whoever still holds them (never destroyed).
std::vector<ORVBundle *> *g_retiredBundles = new std::vector<ORVBundle *>;
const char g_anchor = 0;                     // an address inside this library

}  // namespace

std::string commonBundleLocation() {
    {
        std::lock_guard<std::mutex> lock(g_bundleMutex);
        if (!g_bundleOverride.empty()) return g_bundleOverride;
    }
    if (const char *env = std::getenv("ORVCOMMONKIT_RESOURCES"); env && *env) return env;
    Dl_info info{};
    if (::dladdr(&g_anchor, &info) && info.dli_fname) {
        std::string lib = info.dli_fname;
        // When the library's code is linked into the program itself, the
        // loader names the program as it was started ("orvkit" when found
        // through PATH); the kernel knows its real place.
        if (lib.find('/') == std::string::npos) {
            char self[4096];
            const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
            if (n > 0) lib.assign(self, static_cast<std::size_t>(n));
        }
        // A link to the program or library (a command put on PATH through a
        // link, say) must not move the resources it is looked for from.
        if (char *real = ::realpath(lib.c_str(), nullptr)) {
            lib = real;
            std::free(real);
        }
        std::string::size_type slash = lib.rfind('/');
        std::string dir = slash == std::string::npos ? std::string(".") : lib.substr(0, slash);
        std::string candidate = dir + "/" + ORV_LIB_TO_RESOURCES;
        if (isDirectory(candidate)) return candidate;
    }
    return ORV_INSTALLED_RESOURCES;
}

void setCommonBundlePath(const std::string &path) {
    std::lock_guard<std::mutex> lock(g_bundleMutex);
    g_bundleOverride = path;
    if (g_commonBundle) {
        g_retiredBundles->push_back(g_commonBundle);
        g_commonBundle = nullptr;
    }
}

ORVBundle *commonBundle() {
    {
        std::lock_guard<std::mutex> lock(g_bundleMutex);
        if (g_commonBundle) return g_commonBundle;
    }
    std::string location = commonBundleLocation();
    std::lock_guard<std::mutex> lock(g_bundleMutex);
    if (!g_commonBundle) g_commonBundle = make<ORVBundle>(std::move(location)).leak();
    return g_commonBundle;
}

}  // namespace orv
