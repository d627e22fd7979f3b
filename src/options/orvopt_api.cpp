// The exported orvopt_ functions: thin C entry points over the parsers.
#include <ORVCommonKit/orvopt.h>

#include "options/orvopt_parser.h"
#include "options/orvopt_state.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Specifications passed as (letter, type, storage) triples. A function is
// read as a function pointer, everything else as a data pointer.
class VariadicSpecs final : public orvopt::SpecReader {
public:
    explicit VariadicSpecs(std::va_list &args) : args_(args) {}
    bool next(orvopt_spec_t &spec) override {
        spec = orvopt_spec_t{};
        spec.letter = static_cast<char>(va_arg(args_, int));
        if (spec.letter == '\0') return false;
        // The type is int underneath, so a number that names no type is kept
        // for the parser's report.
        spec.type = static_cast<orvopt_type_e>(va_arg(args_, int));
        if (spec.type == orvopt_FUNC0) spec.to.func0 = va_arg(args_, orvopt_func0_t);
        else if (spec.type == orvopt_FUNC1 || spec.type == orvopt_OPT_FUNCT1) spec.to.func1 = va_arg(args_, orvopt_func1_t);
        else spec.to.storage = va_arg(args_, void *);
        return true;
    }

private:
    std::va_list &args_;
};

// Specifications from a table ended by a letter 0; a null table is empty.
class TableSpecs final : public orvopt::SpecReader {
public:
    explicit TableSpecs(const orvopt_spec_t *specs) : next_(specs) {}
    bool next(orvopt_spec_t &spec) override {
        if (next_ == nullptr || next_->letter == '\0') return false;
        spec = *next_++;
        return true;
    }

private:
    const orvopt_spec_t *next_;
};

char *argument_at(const orvopt_t *h, int index) {
    if (h->argv == nullptr || index < 0 || index >= h->argc) return nullptr;
    return h->argv[index];
}

}  // namespace

extern "C" {

orvopt_p orvopt_init(int argc, char *const argv[]) {
    if (!orvopt::Init_named) {
        orvopt::Init_named = true;
        orvopt::name_program(argc, argv);
    }
    auto *h = static_cast<orvopt_t *>(std::malloc(sizeof(orvopt_t)));
    if (h == nullptr) {
        const int error = errno;
        std::fprintf(stderr, "%s: failed to allocate %lu bytes for orvopt handle.  %s.\n", orvopt::message_name(),
                     static_cast<unsigned long>(sizeof(orvopt_t)), std::strerror(error));
        return nullptr;
    }
    h->error_count = 0;
    h->first_index = 1;
    h->index = 1;
    h->num_specs = 0;
    h->specv = nullptr;
    h->argc = argc;
    h->argv = argv;
    return h;
}

int orvopt_extract(orvopt_p handle, ...) {
    std::va_list args;
    va_start(args, handle);
    int result = orvopt_INVALID_HANDLE;
    if (orvopt::valid_handle(handle, "extract")) {
        VariadicSpecs specs(args);
        result = orvopt::extract(handle, specs);
    }
    va_end(args);
    return result;
}

int orvopt_extract_table(orvopt_p handle, const orvopt_spec_t *specs) {
    TableSpecs reader(specs);
    return orvopt::extract(handle, reader);
}

int orvopt_error_count(orvopt_p handle) {
    return orvopt::valid_handle(handle, "error_count") ? handle->error_count : -1;
}

int orvopt_reset(orvopt_p handle) {
    if (!orvopt::valid_handle(handle, "reset")) return orvopt_INVALID_HANDLE;
    handle->error_count = 0;
    handle->index = 1;
    handle->first_index = 1;
    return 0;
}

int orvopt_remaining_count(orvopt_p handle) {
    if (!orvopt::valid_handle(handle, "remaining_count")) return -1;
    // A hostile count (a negative argc) must not overflow the difference.
    const long long remaining = static_cast<long long>(handle->argc) - handle->index;
    return static_cast<int>(std::clamp<long long>(remaining, INT_MIN, INT_MAX));
}

int orvopt_curr_index(orvopt_p handle) {
    return orvopt::valid_handle(handle, "curr_index") ? handle->index : -1;
}

char *orvopt_first_arg(orvopt_p handle) {
    if (!orvopt::valid_handle(handle, "first_arg")) return nullptr;
    handle->index = handle->first_index;
    char *arg = argument_at(handle, handle->index);
    if (arg != nullptr) ++handle->index;
    return arg;
}

char *orvopt_next_arg(orvopt_p handle) {
    if (!orvopt::valid_handle(handle, "next_arg")) return nullptr;
    char *arg = argument_at(handle, handle->index);
    if (arg != nullptr) ++handle->index;
    return arg;
}

char *orvopt_prev_arg(orvopt_p handle) {
    if (!orvopt::valid_handle(handle, "prev_arg")) return nullptr;
    if (handle->index <= handle->first_index) return nullptr;
    --handle->index;
    return argument_at(handle, handle->index);
}

char *orvopt_curr_arg(orvopt_p handle) {
    if (!orvopt::valid_handle(handle, "curr_arg")) return nullptr;
    return argument_at(handle, handle->index);
}

int orvopt_term(orvopt_p handle) {
    std::free(handle);
    return 0;
}

void orvopt_debug(orvopt_p handle) { orvopt::debug(handle); }

const char *orvopt_program(void) {
    return orvopt::Program_name_set ? orvopt::Program_name.c_str() : nullptr;
}

int orvopt_is_int(const char *text) { return orvopt::is_int(text) ? 1 : 0; }
int orvopt_is_unsigned(const char *text) { return orvopt::is_unsigned(text) ? 1 : 0; }
int orvopt_is_float(const char *text) { return orvopt::is_float(text) ? 1 : 0; }

int orvopt_get(int argc, char *const argv[], const char *letters) { return orvopt::step(argc, argv, letters); }
char *orvopt_arg(void) { return Opt_arg; }
int orvopt_ind(void) { return Opt_ind; }
int orvopt_opt(void) { return Opt_opt; }

}  // extern "C"
