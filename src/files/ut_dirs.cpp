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
#include <string_view>
#include <unordered_map>
#include <vector>

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

// One entry of the directory map, as the lookups walk it.
struct PathNode {
    std::string key;  // also the name of the variable that overrides it
    bool root = false;       // an empty entry: the top of the hierarchy
    bool complete = false;   // names a parent and a local path
    int parent = -1;         // the parent's node; -1 when it is not an entry of the map
    std::string local;
};

// The directory map: each of its entries that is a dictionary becomes a node
// that knows its parent's node, so that a lookup finds the key it is given
// once and follows the parents without searching the map again.
struct PathMap {
    std::vector<PathNode> nodes;
    std::unordered_map<std::string_view, int> index;  // views of the nodes' keys

    explicit PathMap(const ORVDictionary &dict) {
        std::vector<std::string> parents;
        for (const auto &[key, value] : dict.entries()) {
            const auto *name = orv::as<ORVString>(key.get());
            const auto *entry = orv::as<ORVDictionary>(value.get());
            if (!name || !entry) continue;
            PathNode node;
            node.key = name->value;
            node.root = entry->count() == 0;
            const ORVString *parent = entry->stringForKey(ourParentPathKey);
            const ORVString *local = entry->stringForKey(ourLocalPathKey);
            node.complete = parent && local;
            if (node.complete) node.local = local->value;
            nodes.push_back(std::move(node));
            parents.push_back(parent ? parent->value : std::string());
        }
        for (std::size_t i = 0; i < nodes.size(); ++i) index.emplace(nodes[i].key, static_cast<int>(i));
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            auto it = index.find(parents[i]);
            if (nodes[i].complete && it != index.end()) nodes[i].parent = it->second;
        }
    }
};

// The directory map, published once by the first lookup that loads it and
// kept (never released) until the process ends.
std::atomic<PathMap *> ourPathDictionary{nullptr};
std::mutex Path_dictionary_mutex;

// The map, loading it when no earlier lookup managed to; null after a
// reported failure.
const PathMap *path_dictionary() {
    if (PathMap *map = ourPathDictionary.load(std::memory_order_acquire)) return map;
    std::lock_guard<std::mutex> lock(Path_dictionary_mutex);
    if (PathMap *map = ourPathDictionary.load(std::memory_order_acquire)) return map;
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
    auto *map = new PathMap(*dict);
    ourPathDictionary.store(map, std::memory_order_release);
    return map;
}

// The directory of an entry: its variable when set, the default root for the
// top, else its parent's directory followed by its local path. Absent when
// the chain leaves the map, misses a parent or local path, or loops.
std::optional<std::string> resolve(const PathMap &map, std::string_view key) {
    auto it = map.index.find(key);
    int node = it == map.index.end() ? -1 : it->second;
    // The local paths passed on the way up, to be appended on the way down.
    const std::string *locals[kMaxChain + 1];
    for (int depth = 0; depth <= kMaxChain && node >= 0; ++depth) {
        const PathNode &entry = map.nodes[static_cast<std::size_t>(node)];
        std::string path;
        if (const char *value = std::getenv(entry.key.c_str())) {
            path = value;
        } else if (entry.root) {
            path = kDefaultRoot;
        } else if (!entry.complete) {
            return std::nullopt;
        } else {
            locals[depth] = &entry.local;
            node = entry.parent;
            continue;
        }
        while (depth-- > 0) orv::files::append_path_component_to(path, *locals[depth]);
        return path;
    }
    return std::nullopt;
}

const char *cstring_for(const char *key) {
    ORVString *path = ut_orv_path_with_name(key);
    return path ? path->cString() : nullptr;
}

}  // namespace

std::optional<std::string> orv::files::standard_path(const char *key) {
    const PathMap *map = path_dictionary();
    if (!map || !key) return std::nullopt;
    return resolve(*map, key);
}

void orv::files::forget_path_dictionary() {
    std::lock_guard<std::mutex> lock(Path_dictionary_mutex);
    delete ourPathDictionary.exchange(nullptr);
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
