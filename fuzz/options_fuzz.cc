// Fuzz target of the option parsers. The input is a small specification
// table followed by an argument vector: the first byte gives the number of
// specifications, each of them takes three bytes (letter, type, flags) and the
// rest are the arguments, separated by zero bytes. Both parsers run over the
// vector; the handle's accessors then walk it both ways.
#include <ORVCommonKit/orvopt.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMaxArgs = 64;
constexpr std::size_t kMaxSpecs = 70;  // past the parser's own limit

int on_flag(orvopt_t *handle, char) {
    orvopt_curr_index(handle);
    return 0;
}

char on_value(orvopt_t *handle, char, const char *value) {
    orvopt_curr_arg(handle);
    return value != nullptr && value[0] != 'x';
}

int on_debug(orvopt_t *handle, char) {
    orvopt_debug(handle);
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
    (void)quiet;
    if (size == 0) return 0;

    // The specification table, ended by a letter 0.
    std::size_t pos = 0;
    const std::size_t count = data[pos++] % kMaxSpecs;
    struct alignas(16) Slot { unsigned char bytes[16]; };
    std::vector<Slot> storage(count + 1);
    std::vector<orvopt_spec_t> specs(count + 1);
    std::string letters;
    std::size_t n = 0;
    for (; n < count && pos + 3 <= size; ++n, pos += 3) {
        orvopt_spec_t &spec = specs[n];
        spec.letter = static_cast<char>(data[pos]);
        spec.type = static_cast<orvopt_type_e>(99 + data[pos + 1] % 20);  // 99..118: some are unknown
        const unsigned flags = data[pos + 2];
        if (spec.type == orvopt_FUNC0) spec.to.func0 = flags & 2 ? on_debug : on_flag;
        else if (spec.type == orvopt_FUNC1 || spec.type == orvopt_OPT_FUNCT1) spec.to.func1 = on_value;
        else spec.to.storage = storage[n].bytes;
        if (flags & 1) spec.to.storage = nullptr;
        if (spec.letter != '\0') {
            letters += spec.letter;
            if (spec.type != orvopt_BOOL && spec.type != orvopt_FUNC0) letters += ':';
        }
    }
    specs[n] = orvopt_spec_t{};

    // The argument vector, owned here, with its null pointer after the last.
    std::vector<std::string> strings;
    std::string current;
    for (; pos < size && strings.size() < kMaxArgs; ++pos) {
        if (data[pos] == 0) {
            strings.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[pos]);
        }
    }
    if (!current.empty() && strings.size() < kMaxArgs) strings.push_back(current);
    std::vector<char *> argv;
    for (std::string &s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(strings.size());

    orvopt_p handle = orvopt_init(argc, argc ? argv.data() : nullptr);
    if (handle != nullptr) {
        orvopt_extract_table(handle, specs.data());
        orvopt_error_count(handle);
        orvopt_remaining_count(handle);
        for (const char *a = orvopt_first_arg(handle); a != nullptr; a = orvopt_next_arg(handle)) {
        }
        while (orvopt_prev_arg(handle) != nullptr) {
        }
        orvopt_curr_arg(handle);
        orvopt_reset(handle);
        orvopt_extract_table(handle, specs.data());
        orvopt_term(handle);
    }

    // The step parser over the same vector, from its start.
    Opt_ind = 1;
    for (int calls = 0; calls < 4096 && orvopt_get(argc, argv.data(), letters.c_str()) != -1; ++calls) {
        orvopt_arg();
    }
    for (const std::string &s : strings) {
        orvopt_is_int(s.c_str());
        orvopt_is_unsigned(s.c_str());
        orvopt_is_float(s.c_str());
    }
    return 0;
}
