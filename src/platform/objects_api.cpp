// The C interface of the platform objects (orvobjects.h): thin wrappers that
// turn null arguments and failures into null or 0 results.
#include <ORVCommonKit/orvobjects.h>

#include "frame/ORVStdHandler.h"
#include "platform/archive.h"
#include "platform/bundle.h"
#include "platform/filemanager.h"
#include "platform/objects.h"
#include "platform/plist.h"
#include "platform/pool.h"

#include <sys/stat.h>

#include <cstdarg>

namespace {

const char *temporaryText(std::string text) { return ORVString::temporary(text)->cString(); }

orv::FileHandler *handlerOf(ORVObject *obj) { return dynamic_cast<orv::FileHandler *>(obj); }

}  // namespace

extern "C" {

ORV_API ORVObject *orv_object_retain(ORVObject *obj) { return obj ? obj->retain() : nullptr; }

ORV_API void orv_object_release(ORVObject *obj) {
    if (obj) obj->release();
}

ORV_API ORVObject *orv_object_autorelease(ORVObject *obj) { return obj ? obj->autorelease() : nullptr; }

ORV_API long orv_object_retain_count(const ORVObject *obj) { return obj ? obj->retainCount() : 0; }

ORV_API orv_object_kind orv_object_kind_of(const ORVObject *obj) {
    return obj ? obj->kind() : ORV_KIND_OTHER;
}

ORV_API int orv_object_is_equal(const ORVObject *a, const ORVObject *b) { return orv::equal(a, b) ? 1 : 0; }

ORV_API const char *orv_object_description(const ORVObject *obj) {
    return obj ? temporaryText(obj->description()) : "";
}

ORV_API ORVString *orv_string_create(const char *text) {
    return text ? orv::make<ORVString>(std::string(text)).leak() : nullptr;
}

ORV_API ORVString *orv_string_create_with_bytes(const char *bytes, size_t length) {
    if (!bytes && length) return nullptr;
    return orv::make<ORVString>(std::string(bytes ? bytes : "", length)).leak();
}

ORV_API ORVString *orv_string_create_with_format(const char *format, ...) {
    if (!format) return nullptr;
    va_list ap;
    va_start(ap, format);
    auto s = ORVString::vformat(format, ap);
    va_end(ap);
    return s.leak();
}

ORV_API const char *orv_string_cstring(const ORVString *s) { return s ? s->cString() : nullptr; }

ORV_API size_t orv_string_length(const ORVString *s) { return s ? s->length() : 0; }

ORV_API ORVObject *orv_plist_parse(const char *text, size_t length, int *error_line,
                                   const char **error_text) {
    if (error_line) *error_line = 0;
    if (error_text) *error_text = nullptr;
    orv::plist::Error error;
    auto obj = orv::plist::parse(std::string_view(text ? text : "", text ? length : 0), &error);
    if (!obj) {
        if (error_line) *error_line = error.line;
        if (error_text) *error_text = temporaryText(error.message);
    }
    return obj.leak();
}

ORV_API ORVObject *orv_plist_read_file(const char *path, int *error_line, const char **error_text) {
    if (error_line) *error_line = 0;
    if (error_text) *error_text = nullptr;
    orv::plist::Error error;
    auto obj = path ? orv::plist::readFile(path, &error) : nullptr;
    if (!obj) {
        if (!path) error.message = "no file name";
        if (error_line) *error_line = error.line;
        if (error_text) *error_text = temporaryText(error.message);
    }
    return obj.leak();
}

ORV_API ORVData *orv_archive_encode(const ORVObject *obj, const char **error_text) {
    if (error_text) *error_text = nullptr;
    auto data = orv::make<ORVData>();
    std::string error;
    if (!orv::archive::encode(obj, data->bytes, &error)) {
        if (error_text) *error_text = temporaryText(error);
        return nullptr;
    }
    return data.leak();
}

ORV_API ORVObject *orv_archive_decode(const void *bytes, size_t length, const char **error_text) {
    if (error_text) *error_text = nullptr;
    std::string error;
    auto obj = orv::archive::decode(bytes, length, &error);
    if (!obj && error_text) *error_text = temporaryText(error);
    return obj.leak();
}

ORV_API const void *orv_data_bytes_of(const ORVData *data) { return data ? data->bytes.data() : nullptr; }

ORV_API size_t orv_data_length_of(const ORVData *data) { return data ? data->bytes.size() : 0; }

ORV_API ORVBundle *orv_bundle_create(const char *path) {
    if (!path || !*path) return nullptr;
    return orv::make<ORVBundle>(path).leak();
}

ORV_API const char *orv_bundle_path(const ORVBundle *bundle) { return bundle ? bundle->path.c_str() : nullptr; }

ORV_API const char *orv_bundle_path_for_resource(const ORVBundle *bundle, const char *name, const char *type) {
    if (!bundle || !name) return nullptr;
    std::string path = bundle->pathForResource(name, type ? type : "");
    return path.empty() ? nullptr : temporaryText(std::move(path));
}

ORV_API const char *orv_bundle_localized_string(const ORVBundle *bundle, const char *key, const char *value,
                                                const char *table) {
    if (!bundle || !key) return nullptr;
    return temporaryText(bundle->localizedString(key, value ? value : "", table ? table : ""));
}

ORV_API ORVObject *orv_std_handler_create(const char *file, int line, const char *operation) {
    return ORVStdHandler::handlerWithFile(file, line, operation);
}

ORV_API int orv_file_manager_move_path(const char *from, const char *to, ORVObject *handler) {
    return orv::FileManager::defaultManager().movePath(from, to, handlerOf(handler)) ? 1 : 0;
}

ORV_API int orv_file_manager_copy_path(const char *from, const char *to, ORVObject *handler) {
    return orv::FileManager::defaultManager().copyPath(from, to, handlerOf(handler)) ? 1 : 0;
}

ORV_API int orv_file_manager_remove_path(const char *path, ORVObject *handler) {
    return orv::FileManager::defaultManager().removeFileAtPath(path, handlerOf(handler)) ? 1 : 0;
}

ORV_API int orv_file_manager_create_directory(const char *path, unsigned int mode) {
    return orv::FileManager::defaultManager().createDirectoryAtPath(path, mode) ? 1 : 0;
}

ORV_API int orv_file_manager_set_permissions(const char *path, unsigned int mode) {
    return orv::FileManager::defaultManager().setPosixPermissions(path, mode) ? 1 : 0;
}

ORV_API int orv_file_manager_exists(const char *path, int *is_directory) {
    bool dir = false;
    bool exists = orv::FileManager::defaultManager().fileExistsAtPath(path, &dir);
    if (is_directory) *is_directory = dir ? 1 : 0;
    return exists ? 1 : 0;
}

}  // extern "C"
