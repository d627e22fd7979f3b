// Sweep rows of the option parsers: null handles and vectors, negative
// counts, hostile option texts and specification lists.
#include "sweep.h"

namespace {

// A vector of hostile arguments: program name, options, values.
char *const *hostile_argv(const char *text) {
    static char prog[] = "/bin/prog.exe";
    static char dash[] = "-";
    static char flags[] = "-abz";
    static char dashes[] = "--";
    static const char *argv[8];
    argv[0] = prog;
    argv[1] = flags;
    argv[2] = text ? text : dash;
    argv[3] = dash;
    argv[4] = dashes;
    argv[5] = text ? text : dashes;
    argv[6] = nullptr;
    return const_cast<char *const *>(argv);
}

long walk(orvopt_p h) {
    long n = 0;
    orvopt_first_arg(h);
    while (orvopt_next_arg(h) && n < 100) ++n;
    orvopt_prev_arg(h);
    orvopt_curr_arg(h);
    orvopt_remaining_count(h);
    orvopt_curr_index(h);
    orvopt_error_count(h);
    return n;
}

// Runs use on a parser over the hostile vector of text, then ends the
// parser: what use gave, or 99 when the parser did not end cleanly.
long with_parser(const char *text, long (*use)(orvopt_p)) {
    orvopt_p h = orvopt_init(6, hostile_argv(text));
    const long r = use(h);
    return orvopt_term(h) == 0 ? r : 99;
}

}  // namespace

SWEEP_ROWS(options) {
    // Null handles give the documented answers.
    rows.each("null handle", orvopt_INVALID_HANDLE, {SWEEP_CALL(orvopt_extract, nullptr, 0), SWEEP_CALL(orvopt_extract_table, nullptr, nullptr),
                                                     SWEEP_CALL(orvopt_reset, nullptr)});
    rows.each("null handle", -1, {SWEEP_CALL(orvopt_error_count, nullptr), SWEEP_CALL(orvopt_remaining_count, nullptr), SWEEP_CALL(orvopt_curr_index, nullptr)});
    rows.each("null handle", 0, {SWEEP_CALL(orvopt_first_arg, nullptr), SWEEP_CALL(orvopt_next_arg, nullptr), SWEEP_CALL(orvopt_prev_arg, nullptr),
                                 SWEEP_CALL(orvopt_curr_arg, nullptr), SWEEP_CALL(orvopt_term, nullptr)});
    rows.add("orvopt_debug", "null handle", [] { orvopt_debug(nullptr); return 0L; });
    rows.add("orvopt_program", "before any parser", [] { return long(orvopt_program() != nullptr); }, 0);

    // Handles over hostile vectors and counts.
    for (int argc : {INT_MIN, -1, 0, 1}) {
        const std::string args = "argc " + std::to_string(argc) + ", null vector";
        rows.add("orvopt_init", args, [argc] {
            orvopt_p h = orvopt_init(argc, nullptr);
            if (h) { orvopt_extract(h, 'a', orvopt_BOOL, nullptr, 0); walk(h); orvopt_debug(h); }
            return long(orvopt_term(h));
        }, 0);
    }
    // Parsers over a vector holding the hostile text: every parse ends.
    const sweep::Expect ends{0, 0, 0};
    rows.text("orvopt_init", "arguments", [](const char *t) {
        return with_parser(t, [](orvopt_p h) {
            char flag = 0, *text = nullptr;
            int number = 0;
            orvopt_extract(h, 'a', orvopt_BOOL, &flag, 'b', orvopt_STRING, &text, 'z', orvopt_OPT_INT, &number, 0);
            return walk(h) * 0;
        });
    }, ends);
    rows.text("orvopt_extract_table", "arguments", [](const char *t) {
        return with_parser(t, [](orvopt_p h) {
            float f = 0;
            unsigned long u = 0;
            const orvopt_spec_t specs[] = {{'a', orvopt_FLOAT, {&f}}, {'b', orvopt_ULONG, {&u}}, {'z', orvopt_OPT_STRING, {nullptr}}, {0, orvopt_BOOL, {nullptr}}};
            orvopt_extract_table(h, specs);
            orvopt_extract_table(h, nullptr);
            orvopt_debug(h);
            return long(orvopt_reset(h));
        });
    }, ends);
    rows.text("orvopt_get", "arguments", [](const char *t) {
        for (int n = 0; n < 100 && orvopt_get(6, hostile_argv(t), "ab:z") != -1; ++n) orvopt_arg(), orvopt_ind(), orvopt_opt();
        return 0L;
    });
    rows.text("orvopt_get", "letters", [](const char *t) {
        for (int n = 0; n < 100 && orvopt_get(6, hostile_argv("x"), t) != -1; ++n) {
        }
        return 0L;
    });
    for (int argc : {INT_MIN, -1, 0})
        rows.add("orvopt_get", "argc " + std::to_string(argc) + ", null vector",
                 [argc] { return long(orvopt_get(argc, nullptr, "a")); }, -1);
    rows.add("orvopt_arg", "before any option", [] { return long(orvopt_arg() != nullptr); }, 0);
    rows.add("orvopt_ind", "before any option", [] { return long(orvopt_ind()); }, 1);
    rows.add("orvopt_opt", "before any option", [] { orvopt_opt(); return 0L; });
    rows.texts({0, 0, 0}, {SWEEP_TEXT(orvopt_is_int, t), SWEEP_TEXT(orvopt_is_unsigned, t), SWEEP_TEXT(orvopt_is_float, t)});
}
