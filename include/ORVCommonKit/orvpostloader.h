/*
 * One-time class hooks.
 *
 * Modules attach hooks to a class name: a "perform posing" hook that installs
 * replacements, and a "did load" hook that sets the module up. Each hook is
 * identified by its function and runs at most once per process. A run of the
 * registry calls every pending posing hook before any pending load hook, each
 * inside a fresh release pool. The configuration start-up runs the registry,
 * and every announced module load runs it again, so hooks that a module
 * registers when it loads are picked up.
 */
#ifndef ORVCOMMONKIT_ORVPOSTLOADER_H
#define ORVCOMMONKIT_ORVPOSTLOADER_H

#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

typedef enum orvpostloader_hook_kind {
    ORVPOSTLOADER_PERFORM_POSING = 0,
    ORVPOSTLOADER_DID_LOAD = 1
} orvpostloader_hook_kind;

/* A hook; it receives the class name it was registered for. */
typedef void (*orvpostloader_hook_t)(const char *class_name);

/* Attaches a hook to a class. Returns 0, or -1 for a null name or hook or an
 * unknown kind. Registering the same function again adds nothing new: it
 * still runs at most once. */
ORV_API int orvpostloader_register_hook(const char *class_name, orvpostloader_hook_kind kind,
                                        orvpostloader_hook_t hook);
/* Runs every pending hook: all posing hooks, then all load hooks. */
ORV_API void orvpostloader_process_classes(void);
/* Announces that a module (shared object or bundle) was loaded: runs the
 * registry again. module_path is only traced and may be null. */
ORV_API void orvpostloader_module_did_load(const char *module_path);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_ORVPOSTLOADER_H */
