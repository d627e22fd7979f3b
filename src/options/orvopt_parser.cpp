// The option parsers. The handle parser reads a specification list and walks
// the leading options of its vector; the step parser hands out one option
// letter per call. Every message is printed and parsing goes on: the counts
// and result codes tell the caller what happened.
#include "options/orvopt_parser.h"

#include "options/orvopt_state.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orvopt {

namespace {

// The value of an optional option that was left out. Not const: string
// options store a char pointer.
char Empty_value[1] = {'\0'};

bool is_separator(char c) { return c == '/' || c == '\\'; }

unsigned long address_of(const void *p) {
    return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(p));
}

bool is_optional(int type) { return type >= orvopt_OPT_INT && type <= orvopt_OPT_FUNCT1; }

// The word naming a numeric type in the "argument expected" message.
const char *type_word(int type) {
    switch (type) {
    case orvopt_INT: case orvopt_OPT_INT: return "integer";
    case orvopt_LONG: case orvopt_OPT_LONG: return "long integer";
    case orvopt_UINT: case orvopt_OPT_UINT: return "unsigned int";
    case orvopt_ULONG: case orvopt_OPT_ULONG: return "unsigned long";
    default: return "floating point";
    }
}

// Numbers beyond the range of the target type are clamped to its limits.
int to_int(const char *text) {
    const long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

float to_float(const char *text) {
    const double value = std::strtod(text, nullptr);
    if (value > FLT_MAX) return HUGE_VALF;
    if (value < -FLT_MAX) return -HUGE_VALF;
    return static_cast<float>(value);
}

// Converts and stores a value of one of the numeric or string types; false
// (with the message) when the value does not pass the type's test.
bool store_value(const orvopt_spec_t &spec, char *value) {
    void *to = spec.to.storage;
    const int type = spec.type;
    if (type == orvopt_STRING || type == orvopt_OPT_STRING) {
        *static_cast<char **>(to) = value;
        return true;
    }
    const bool empty_optional = is_optional(type) && value != nullptr && value[0] == '\0';
    bool ok = true;
    switch (type) {
    case orvopt_INT: case orvopt_OPT_INT:
        if (empty_optional) *static_cast<int *>(to) = 0;
        else if ((ok = is_int(value))) *static_cast<int *>(to) = to_int(value);
        break;
    case orvopt_LONG: case orvopt_OPT_LONG:
        if (empty_optional) *static_cast<long *>(to) = 0;
        else if ((ok = is_int(value))) *static_cast<long *>(to) = std::strtol(value, nullptr, 10);
        break;
    case orvopt_UINT: case orvopt_OPT_UINT:
    case orvopt_ULONG: case orvopt_OPT_ULONG: {
        const bool narrow = type == orvopt_UINT || type == orvopt_OPT_UINT;
        unsigned long number = 0;
        if (!empty_optional) {
            char *end = nullptr;
            ok = is_unsigned(value);
            if (ok) number = std::strtoul(value, &end, 10);
            ok = ok && end != value;  // the scan converted one item
        }
        if (!ok) break;
        if (narrow) *static_cast<unsigned *>(to) = number > UINT_MAX ? UINT_MAX : static_cast<unsigned>(number);
        else *static_cast<unsigned long *>(to) = number;
        break;
    }
    default:  // orvopt_FLOAT, orvopt_OPT_FLOAT
        if (empty_optional) *static_cast<float *>(to) = 0.0f;
        else if ((ok = is_float(value))) *static_cast<float *>(to) = to_float(value);
        break;
    }
    if (!ok)
        std::printf("%s: %s argument expected -- %c \"%s\"\n", message_name(), type_word(type), spec.letter,
                    value ? value : "<NULL>");
    return ok;
}

// Handles the option at argv[position] of a handle being extracted; its
// letter is the argument's second character. False when it failed.
bool handle_option(orvopt_t *h, const orvopt_spec_t *specs, int count, int argc, int position) {
    char *const arg = h->argv[position];
    const char letter = arg[1];
    const orvopt_spec_t *spec = nullptr;
    for (int i = 0; i < count && !spec; ++i)
        if (specs[i].letter == letter) spec = &specs[i];
    if (!spec || letter == '\0') {
        std::printf("%s: illegal option -- %c.\n", message_name(), letter);
        return false;
    }
    if (spec->type == orvopt_BOOL) {
        *static_cast<char *>(spec->to.storage) = 1;
        return true;
    }
    if (spec->type == orvopt_FUNC0) {
        spec->to.func0(h, letter);
        return true;
    }

    char *value = nullptr;
    if (arg[2] != '\0') {
        value = arg + 2;
    } else if (position + 1 < argc) {
        char *const next = h->argv[position + 1];
        if (is_optional(spec->type) && next != nullptr && next[0] == '-') {
            value = Empty_value;
        } else {
            value = next;
            h->index = position + 1;
        }
    } else if (is_optional(spec->type)) {
        value = Empty_value;
    } else {
        std::printf("%s: option requires argument -- %c.\n", message_name(), letter);
        return false;
    }

    if (spec->type == orvopt_FUNC1 || spec->type == orvopt_OPT_FUNCT1) return spec->to.func1(h, letter, value) != 0;
    return store_value(*spec, value);
}

// The debug print's name of a type, padded to 12 characters with its comma.
const char *debug_type_word(int type) {
    switch (type) {
    case orvopt_BOOL: return "BOOL,       ";
    case orvopt_STRING: return "STRING,     ";
    case orvopt_INT: return "INT,        ";
    case orvopt_LONG: return "LONG,       ";
    case orvopt_UINT: return "UINT,       ";
    case orvopt_ULONG: return "ULONG,      ";
    case orvopt_FLOAT: return "FLOAT,      ";
    case orvopt_FUNC0: return "FUNC0,      ";
    case orvopt_FUNC1: return "FUNC1,      ";
    case orvopt_OPT_STRING: return "OPT_STRING, ";
    case orvopt_OPT_FUNCT1: return "OPT_FUNCT1, ";
    default: return " <unknown> ";
    }
}

}  // namespace

std::string program_name_of(const char *arg0) {
    if (arg0 == nullptr) return {};
    std::string path(arg0);
    std::size_t end = path.size();
    while (end > 0 && is_separator(path[end - 1])) --end;
    if (end == 0) return path.empty() ? std::string() : std::string("/");
    std::size_t begin = end;
    while (begin > 0 && !is_separator(path[begin - 1])) --begin;
    std::string name = path.substr(begin, end - begin);
    static constexpr char kSuffix[] = ".exe";
    constexpr std::size_t kSuffixLength = sizeof kSuffix - 1;
    if (name.size() >= kSuffixLength && name.compare(name.size() - kSuffixLength, kSuffixLength, kSuffix) == 0)
        name.erase(name.size() - kSuffixLength);
    return name;
}

void name_program(int argc, char *const argv[]) {
    Program_name = program_name_of(argc > 0 && argv != nullptr ? argv[0] : nullptr);
    Program_name_set = true;
}

const char *message_name() { return Program_name_set ? Program_name.c_str() : "(null)"; }

bool is_int(const char *text) {
    if (text == nullptr || *text == '\0') return false;
    for (const char *p = text; *p; ++p)
        if (!(*p >= '0' && *p <= '9') && !(p == text && *p == '-')) return false;
    return true;
}

bool is_unsigned(const char *text) {
    if (text == nullptr || *text == '\0') return false;
    for (const char *p = text; *p; ++p)
        if (!(*p >= '0' && *p <= '9')) return false;
    return true;
}

bool is_float(const char *text) {
    if (text == nullptr || *text == '\0') return false;
    bool seen_point = false;
    for (const char *p = text; *p; ++p) {
        if (*p >= '0' && *p <= '9') continue;
        if (*p == '.' && !seen_point) {
            seen_point = true;
            continue;
        }
        if (*p == '-' && p == text) continue;
        return false;
    }
    return true;
}

bool valid_handle(const orvopt_t *handle, const char *function) {
    if (handle != nullptr) return true;
    std::fprintf(stderr, "%s: invalid handle (0x%lx) passed to orvopt_%s() library function.\n", message_name(),
                 address_of(handle), function);
    return false;
}

int extract(orvopt_t *h, SpecReader &reader) {
    if (!valid_handle(h, "extract")) return orvopt_INVALID_HANDLE;
    orvopt_spec_t specs[orvopt_MAX_SPECS];
    int count = 0;
    h->error_count = 0;
    h->num_specs = 0;
    h->specv = nullptr;
    orvopt_spec_t spec{};
    while (count < orvopt_MAX_SPECS && reader.next(spec) && spec.letter != '\0') {
        if (spec.to.storage == nullptr) {
            std::printf("%s: bad specification by programmer (NULL storage location) -- %c.\n", message_name(),
                        spec.letter);
            h->error_count = 1;
            return orvopt_BAD_SPEC;
        }
        if (spec.type < orvopt_BOOL || spec.type > orvopt_OPT_FUNCT1) {
            std::printf("%s: bad specification by programmer (unknown orvopt_type_e) -- %d.\n", message_name(),
                        spec.letter);
            h->error_count = 1;
            return orvopt_BAD_SPEC;
        }
        if (spec.type == orvopt_BOOL) *static_cast<char *>(spec.to.storage) = 0;
        specs[count++] = spec;
    }
    h->num_specs = count;
    h->specv = specs;

    // The vector as given; a null vector or a negative count has no arguments.
    const int argc = h->argv != nullptr && h->argc > 0 ? h->argc : 0;
    const orvopt_t *const outer = Extracting;
    Extracting = h;
    int failures = 0;
    h->index = h->first_index < 0 ? 0 : h->first_index;
    while (h->index >= 0 && h->index < argc) {
        const char *arg = h->argv[h->index];
        if (arg == nullptr || arg[0] != '-') break;
        if (arg[1] == '-') {  // "--" ends the options and is not an argument
            ++h->index;
            break;
        }
        if (!handle_option(h, specs, count, argc, h->index)) ++failures;
        ++h->index;
    }
    Extracting = outer;
    h->first_index = h->index;
    h->error_count = failures;
    return failures ? orvopt_FAILED : 0;
}

int step(int argc, char *const argv[], const char *letters) {
    if (!Get_named) {
        Get_named = true;
        name_program(argc, argv);
    }
    Opt_arg = nullptr;
    if (argv == nullptr || Opt_ind < 0 || Opt_ind >= argc) return -1;
    char *const arg = argv[Opt_ind];
    if (arg == nullptr || arg[0] != '-') return -1;
    if (Opt_group_pos < 0 || static_cast<std::size_t>(Opt_group_pos) >= std::strlen(arg)) Opt_group_pos = 0;
    const char letter = arg[Opt_group_pos + 1];
    if (Opt_group_pos == 0) {
        if (letter == '\0') return -1;  // "-" alone is an argument
        if (letter == '-') {            // "--" ends the options
            ++Opt_ind;
            return -1;
        }
    }
    Opt_opt = static_cast<unsigned char>(letter);
    ++Opt_group_pos;

    const char *found = letter == ':' || letters == nullptr ? nullptr : std::strchr(letters, letter);
    int result = static_cast<unsigned char>(letter);
    if (found == nullptr) {
        std::printf("%s: illegal option -- %c.\n", message_name(), letter);
        result = 0;
    } else if (found[1] == ':') {
        if (arg[Opt_group_pos + 1] != '\0') {
            Opt_arg = arg + Opt_group_pos + 1;
        } else if (Opt_ind + 1 < argc) {
            Opt_arg = argv[++Opt_ind];
        } else {
            std::printf("%s: option requires argument -- %c.\n", message_name(), letter);
            result = 0;
        }
        Opt_group_pos = 0;
        ++Opt_ind;
        return result;
    }
    // Move on to the next argument after the last letter of a group.
    if (arg[Opt_group_pos + 1] == '\0') {
        ++Opt_ind;
        Opt_group_pos = 0;
    }
    return result;
}

void debug(const orvopt_t *h) {
    std::printf("orvopt_p handlep=0x%lx =\n{\n", address_of(h));
    if (h == nullptr) {
        std::printf("};\n\n");
        return;
    }
    std::printf("    error_count = %d\n", h->error_count);
    std::printf("    first_index = %d\n", h->first_index);
    std::printf("    index ..... = %d\n", h->index);
    std::printf("    num_specs . = %d\n", h->num_specs);
    std::printf("    specv ..... = 0x%lx\n", address_of(h->specv));
    std::printf("    argc ...... = %d\n", h->argc);
    std::printf("    argv ...... = 0x%lx\n", address_of(h->argv));
    std::printf("};\n\n");

    // The specifications are only readable while their extraction runs.
    std::printf("orvopt_spec_t specv[%d] =\n{\n", h->num_specs);
    if (Extracting == h && h->specv != nullptr) {
        for (int i = 0; i < h->num_specs; ++i) {
            const orvopt_spec_t &s = h->specv[i];
            std::printf("    { '%c', orvopt_%s 0x%lx },  // %d\n", s.letter, debug_type_word(s.type),
                        address_of(s.to.storage), i);
        }
    }
    std::printf("};\n\n");

    const int argc = h->argv != nullptr && h->argc > 0 ? h->argc : 0;
    std::printf("const char *argv[%d] =\n{\n", h->argc);
    for (int i = 0; i < argc; ++i) {
        const char *arg = h->argv[i] ? h->argv[i] : "(null)";
        const int width = 40 - (static_cast<int>(std::strlen(arg)) + 1);
        std::printf("    \"%s\",%*s %d\n", arg, width, "//", i);
    }
    std::printf("};\n\n");
}

}  // namespace orvopt
