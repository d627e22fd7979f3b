// ORVPostLoader: the registry of one-time class hooks.
//
// Modules attach performPosing and didLoad hooks to a class name, several per
// class. processClasses runs every pending posing hook, then every pending
// load hook, each inside a fresh release pool; a hook (identified by its
// function) runs at most once per process. moduleDidLoad runs the registry
// again so that hooks registered by a newly loaded module are picked up.
#pragma once

#include <ORVCommonKit/orvpostloader.h>

#include <string>

class ORVPostLoader {
public:
    using Hook = orvpostloader_hook_t;

    // Attaches a hook; false for a null name or hook.
    static bool registerPerformPosing(const char *className, Hook hook);
    static bool registerDidLoad(const char *className, Hook hook);
    // Runs the pending hooks: all posing hooks before any load hook.
    static void processClasses();
    // A module was loaded: runs processClasses again.
    static void moduleDidLoad(const char *modulePath);
    // Whether hook has already run in this process.
    static bool hasRun(Hook hook);
};

// Attaches a hook when the library (or the module holding it) is loaded:
//   static const orv::ClassHook hook("ORVFoo", ORVPOSTLOADER_DID_LOAD, &foo_did_load);
namespace orv {
struct ClassHook {
    ClassHook(const char *className, orvpostloader_hook_kind kind, orvpostloader_hook_t hook);
};
}  // namespace orv
