// ORVStdHandler: the library's file-manager handler. It writes every failure
// that a file operation reports as a warning with the caller's source file and
// line, keeps the error text for the caller to read, and stops the operation.
#pragma once

#include "platform/filemanager.h"
#include "platform/objects.h"

struct ORVStdHandler : ORVObject, orv::FileHandler {
    ORVStdHandler() = default;
    // Stores the caller's file, line and operation verb; the strings are not
    // copied and must outlive the handler.
    ORVStdHandler *initWithFile(const char *file, int line, const char *operation);
    // A new handler owned by the innermost release pool.
    static ORVStdHandler *handlerWithFile(const char *file, int line, const char *operation);

    // Does nothing.
    void willProcessPath(orv::FileManager &manager, const char *path) override;
    // Keeps the "Error" text as the class-wide last error, writes the warning
    // (with "ToPath" for two-path operations) and answers no.
    bool shouldProceedAfterError(orv::FileManager &manager, const ORVDictionary *errorInfo) override;

    // The class-wide error text of the most recent failure, or null.
    static const char *lastErrorCString() noexcept;

    const char *mySourceFile = nullptr;
    const char *myOperation = nullptr;
    int mySourceLine = 0;
};
