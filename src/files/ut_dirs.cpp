// The standard directories: the eighteen path-name keys, the directory map
// read once from the library bundle, and the lookups that resolve a key
// through the environment and the map's parent links on every call.
#include "files/path_rules.h"
#include "files/ut_dirs_internal.h"
#include "files/ut_testing.h"
#include "platform/bundle.h"
#include "platform/objects.h"
#include "platform/plist.h"

#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>

extern "C" {
const char *const ORVRootPathName = "ORV_ROOT_PATH";
const char *const ORVSitePathName = "ORV_SITE_PATH";
const char *const ORVLogPathName = "ORV_LOG_PATH";
const char *const ORVTempPathName = "ORV_TEMP_PATH";
const char *const ORVSiteConfigPathName = "ORV_SITE_CONFIG_PATH";
const char *const ORVSiteDataPathName = "ORV_SITE_DATA_PATH";
const char *const ORVSysPathName = "ORV_SYS_PATH";
const char *const ORVAppsPathName = "ORV_APPS_PATH";
const char *const ORVBundlePathName = "ORV_BUNDLE_PATH";
const char *const ORVSysConfigPathName = "ORV_SYS_CONFIG_PATH";
const char *const ORVSysDataPathName = "ORV_SYS_DATA_PATH";
const char *const ORVFrameworkPathName = "ORV_FRAMEWORK_PATH";
const char *const ORVServerPathName = "ORV_SERVER_PATH";
const char *const ORVUtilityPathName = "ORV_UTILITY_PATH";
const char *const ORVPrivateUtilityPathName = "ORV_PRIVATE_UTILITY_PATH";
const char *const ORVUserPathName = "ORV_USER_PATH";
const char *const ORVUserConfigPathName = "ORV_USER_CONFIG_PATH";
const char *const ORVUserDataPathName = "ORV_USER_DATA_PATH";
}

namespace {

constexpr const char *ourParentPathKey = "parent";
constexpr const char *ourLocalPathKey = "local";
constexpr const char *kDefaultRoot = "d:/b/555/s/orv";
// Longer parent chains than this are taken for a loop in the map.
constexpr int kMaxChain = 64;

// The directory map, published once by the first lookup that loads it and
// kept (never released) until the process ends.
std::atomic<ORVDictionary *> ourPathDictionary{nullptr};
std::mutex Path_dictionary_mutex;

// The map, loading it when no earlier lookup managed to; null after a
// reported failure.
ORVDictionary *path_dictionary() {
    if (ORVDictionary *dict = ourPathDictionary.load(std::memory_order_acquire)) return dict;
    std::lock_guard<std::mutex> lock(Path_dictionary_mutex);
    if (ORVDictionary *dict = ourPathDictionary.load(std::memory_order_acquire)) return dict;
    const std::string file = orv::commonBundle()->pathForResource("directories", "plist");
    if (file.empty()) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, nullptr, "ORVCommonKit",
                 "Library resource corrupt, unable to location path dictionary file.");
        return nullptr;
    }
    orv::Ref<ORVObject> loaded = orv::plist::readFile(file);
    auto *dict = orv::as<ORVDictionary>(loaded.get());
    if (!dict) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, nullptr, "ORVCommonKit",
                 "Unable to load path directory file at \"%s\".", file.c_str());
        return nullptr;
    }
    dict->retain();
    ourPathDictionary.store(dict, std::memory_order_release);
    return dict;
}

std::optional<std::string> resolve(ORVDictionary *map, const std::string &key, int depth) {
    if (depth > kMaxChain) return std::nullopt;
    const auto *entry = orv::as<ORVDictionary>(map->objectForKey(std::string_view(key)));
    if (!entry) return std::nullopt;
    if (const char *value = std::getenv(key.c_str())) return std::string(value);
    if (entry->count() == 0) return std::string(kDefaultRoot);
    const ORVString *parent = entry->stringForKey(ourParentPathKey);
    const ORVString *local = entry->stringForKey(ourLocalPathKey);
    if (!parent || !local) return std::nullopt;
    std::optional<std::string> base = resolve(map, parent->value, depth + 1);
    if (!base) return std::nullopt;
    return orv::files::append_path_component(*base, local->value);
}

const char *cstring_for(const char *key) {
    ORVString *path = ut_orv_path_with_name(key);
    return path ? path->cString() : nullptr;
}

}  // namespace

std::optional<std::string> orv::files::standard_path(const char *key) {
    ORVDictionary *map = path_dictionary();
    if (!map || !key) return std::nullopt;
    return resolve(map, key, 0);
}

void orv::files::forget_path_dictionary() {
    std::lock_guard<std::mutex> lock(Path_dictionary_mutex);
    if (ORVDictionary *dict = ourPathDictionary.exchange(nullptr)) dict->release();
}

extern "C" {

ORVString *ut_orv_path_with_name(const char *key) {
    std::optional<std::string> path = orv::files::standard_path(key);
    if (!path) return nullptr;
    return ORVString::temporary(*path);
}

const char *ut_orv_path_cstring_with_name(const char *key) { return cstring_for(key); }

const char *ut_orv_log_dir(void) { return cstring_for(ORVLogPathName); }
const char *ut_orv_temp_dir(void) { return cstring_for(ORVTempPathName); }
const char *ut_orv_site_config_dir(void) { return cstring_for(ORVSiteConfigPathName); }
const char *ut_orv_site_data_dir(void) { return cstring_for(ORVSiteDataPathName); }
const char *ut_orv_apps_dir(void) { return cstring_for(ORVAppsPathName); }
const char *ut_orv_sys_config_dir(void) { return cstring_for(ORVSysConfigPathName); }
const char *ut_orv_sys_data_dir(void) { return cstring_for(ORVSysDataPathName); }
const char *ut_orv_server_dir(void) { return cstring_for(ORVServerPathName); }
const char *ut_orv_utility_dir(void) { return cstring_for(ORVUtilityPathName); }
const char *ut_orv_private_utility_dir(void) { return cstring_for(ORVPrivateUtilityPathName); }
const char *ut_orv_user_config_dir(void) { return cstring_for(ORVUserConfigPathName); }
const char *ut_orv_user_data_dir(void) { return cstring_for(ORVUserDataPathName); }

}  // extern "C"

extern "C" void orv_ut_testing_use_bundle(const char *folder) {
    orv::setCommonBundlePath(folder ? folder : "");
    orv::files::forget_path_dictionary();
}
