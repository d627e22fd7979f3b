// ORVStdHandler: file-manager failures become warnings in the trace.
#include "frame/ORVStdHandler.h"

#include "platform/pool.h"

#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>

namespace {

// Heap copy (orvstr_dup) of the error text of the last failure any handler
// saw; replaced by shouldProceedAfterError, owned by the class.
char *ourLastErrorCString = nullptr;

const char *textFor(const ORVDictionary *info, const char *key) {
    if (!info) return nullptr;
    const ORVObject *value = info->objectForKey(key);
    if (!value) return nullptr;
    if (const auto *s = orv::as<ORVString>(value)) return s->cString();
    return ORVString::temporary(value->description())->cString();
}

}  // namespace

ORVStdHandler *ORVStdHandler::initWithFile(const char *file, int line, const char *operation) {
    mySourceFile = file;
    mySourceLine = line;
    myOperation = operation;
    return this;
}

ORVStdHandler *ORVStdHandler::handlerWithFile(const char *file, int line, const char *operation) {
    return orv::make<ORVStdHandler>().autorelease()->initWithFile(file, line, operation);
}

void ORVStdHandler::willProcessPath(orv::FileManager &, const char *) {}

bool ORVStdHandler::shouldProceedAfterError(orv::FileManager &, const ORVDictionary *errorInfo) {
    const char *path = textFor(errorInfo, "Path");
    const char *error = textFor(errorInfo, "Error");
    const char *toPath = textFor(errorInfo, "ToPath");

    orvstr_free(ourLastErrorCString);
    ourLastErrorCString = error ? orvstr_dup(error) : nullptr;

    const char *operation = myOperation ? myOperation : "(null)";
    if (toPath) {
        tr_warning(mySourceFile, mySourceLine, tr_LOW,
                   "NSFileNamanger failed to %s.  {Error=\"%s\" Path=\"%s\" ToPath=\"%s\"}.", operation,
                   error ? error : "(null)", path ? path : "(null)", toPath);
    } else {
        tr_warning(mySourceFile, mySourceLine, tr_LOW, "NSFileManager failed to %s.  {Error=\"%s\" Path=\"%s\"}.",
                   operation, error ? error : "(null)", path ? path : "(null)");
    }
    return false;
}

const char *ORVStdHandler::lastErrorCString() noexcept { return ourLastErrorCString; }

extern "C" ORV_API const char *ORVStdHandler_last_error_cString(void) { return ourLastErrorCString; }
