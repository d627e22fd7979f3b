// ORVPostLoader: the registry of one-time class hooks and its C interface.
#include "frame/ORVPostLoader.h"

#include "platform/pool.h"

#include <ORVCommonKit/tr.h>

#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

struct HookEntry {
    std::string className;
    orvpostloader_hook_kind kind;
    orvpostloader_hook_t hook;
};

// The registry, in registration order; written by register calls, which may
// come from static initialisers of several modules.
std::mutex &registryMutex() {
    static std::mutex m;
    return m;
}
std::vector<HookEntry> &registry() {
    static std::vector<HookEntry> entries;
    return entries;
}
// Hooks that have run (or are running), by function; never shrinks.
std::unordered_set<void *> &classCalledImplementations() {
    static std::unordered_set<void *> called;
    return called;
}

void *key(orvpostloader_hook_t hook) { return reinterpret_cast<void *>(hook); }

bool registerHook(const char *className, orvpostloader_hook_kind kind, orvpostloader_hook_t hook) {
    if (!className || !hook) return false;
    if (kind != ORVPOSTLOADER_PERFORM_POSING && kind != ORVPOSTLOADER_DID_LOAD) return false;
    std::lock_guard<std::mutex> lock(registryMutex());
    registry().push_back({className, kind, hook});
    return true;
}

// Runs every pending hook of one kind. The lock is not held while a hook
// runs: a hook may register further hooks or run the registry itself.
void sendToAllClasses(orvpostloader_hook_kind kind) {
    std::vector<HookEntry> pending;
    {
        std::lock_guard<std::mutex> lock(registryMutex());
        for (const auto &entry : registry())
            if (entry.kind == kind && !classCalledImplementations().count(key(entry.hook)))
                pending.push_back(entry);
    }
    for (const auto &entry : pending) {
        {
            std::lock_guard<std::mutex> lock(registryMutex());
            // Marked before it runs, so a re-entrant run skips it.
            if (!classCalledImplementations().insert(key(entry.hook)).second) continue;
        }
        orv::PoolScope pool;
        entry.hook(entry.className.c_str());
    }
}

}  // namespace

bool ORVPostLoader::registerPerformPosing(const char *className, Hook hook) {
    return registerHook(className, ORVPOSTLOADER_PERFORM_POSING, hook);
}

bool ORVPostLoader::registerDidLoad(const char *className, Hook hook) {
    return registerHook(className, ORVPOSTLOADER_DID_LOAD, hook);
}

void ORVPostLoader::processClasses() {
    sendToAllClasses(ORVPOSTLOADER_PERFORM_POSING);
    sendToAllClasses(ORVPOSTLOADER_DID_LOAD);
}

void ORVPostLoader::moduleDidLoad(const char *modulePath) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "Module %s loaded; running its class hooks",
             modulePath ? modulePath : "(unnamed)");
    processClasses();
}

bool ORVPostLoader::hasRun(Hook hook) {
    std::lock_guard<std::mutex> lock(registryMutex());
    return classCalledImplementations().count(key(hook)) != 0;
}

orv::ClassHook::ClassHook(const char *className, orvpostloader_hook_kind kind, orvpostloader_hook_t hook) {
    registerHook(className, kind, hook);
}

extern "C" {

ORV_API int orvpostloader_register_hook(const char *class_name, orvpostloader_hook_kind kind,
                                        orvpostloader_hook_t hook) {
    return registerHook(class_name, kind, hook) ? 0 : -1;
}

ORV_API void orvpostloader_process_classes(void) { ORVPostLoader::processClasses(); }

ORV_API void orvpostloader_module_did_load(const char *module_path) {
    ORVPostLoader::moduleDidLoad(module_path);
}

}  // extern "C"
