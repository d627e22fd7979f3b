// The hostile-argument sweep of the exported C interface.
//
// Every exported function of the shared library gets rows: one row is one
// function called with one argument set (null pointers, empty texts, texts of
// 100,000 bytes, printf directives, a text or buffer ending against an
// unreadable page, negative and huge numbers). Each row runs in a child
// process of its own under a time limit and must end normally; where the
// function's contract says what such an argument gives, the row states the
// result and the child checks it. The rows rotate through the three trace
// modes (no facility, call-back, trace file), and a row may ask for the
// configuration module to be started first.
//
// How a family adds its rows: create tests/sweep/<family>_rows.cc with
//
//     SWEEP_ROWS(myfamily) {
//         rows.text("my_function", [](const char *t) { return long(my_function(t)); },
//                   {-1, -1});  // null gives -1, "" gives -1
//         rows.add("my_other", "negative size", [] { return long(my_other(-1)); }, -1);
//     }
//
// The file is picked up by CMake; the test fails for every exported function
// that has no row, so a new function cannot be left out.
#pragma once

#include <ORVCommonKit/ORVCommonKit.h>

#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <functional>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

// Rows hand hostile formats, null ones included, to the formatting calls.
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat-nonliteral"

namespace sweep {

// What the child does before the call.
enum class Start {
    Bare,        // nothing: the call meets a fresh process
    Configured,  // cf_init(NULL) in the temporary installation
    Untraced,    // nothing, and no trace mode either: for the trace facility's
                 // own start and stop
    Localized,   // the system configuration folder holds the interface group
                 // only: languages enu (id 1) and deu (id 2)
};

struct Row {
    std::string function;  // the exported symbol the row exercises
    std::string args;      // what is hostile about the arguments
    std::function<long()> call;
    std::optional<long> expect;  // the result the contract gives, when it does
    Start start = Start::Bare;
    int exit_status = 0;  // a documented exit the child may also take
};

// Results a text helper checks, written {for null, for empty, for the
// others}: the value for a null text, for an empty one and for every other
// hostile text, {} for no check (pointer results are given as 1 for
// non-null, 0 for null).
struct Expect {
    Expect() = default;
    Expect(std::optional<long> null, std::optional<long> empty, std::optional<long> rest = {})
        : null(null), empty(empty), rest(rest) {}
    std::optional<long> null, empty, rest;
};

// One function called one way, for tables of functions that share their
// hostile arguments (see SWEEP_CALL).
struct Call {
    const char *function;
    std::function<long()> call;
};

// One function called with a hostile text (or path), or with a hostile
// integer, for tables of functions that share their expected results (see
// SWEEP_TEXT and SWEEP_INT).
struct TextCall {
    const char *function;
    std::function<long(const char *)> call;
};
struct IntCall {
    const char *function;
    std::function<long(int)> call;
};

// The result of call as a row's number: a pointer gives 1 for non-null and 0
// for null, no result gives 0.
template <class F>
long result_of(F call) {
    using R = decltype(call());
    if constexpr (std::is_void_v<R>) {
        call();
        return 0;
    } else if constexpr (std::is_pointer_v<R>) {
        return call() != nullptr;
    } else {
        return static_cast<long>(call());
    }
}

// A format argument that is null, and the text printed for a hostile text
// handed to a "%s" directive.
inline constexpr const char *NoFormat = nullptr;
inline const char *shown(const char *t) { return t ? t : "-"; }

// One hostile text: a label for reports and the text itself (null included).
struct Text {
    const char *label;
    const char *value;
};

// The hostile texts: null, "", 100,000 bytes, printf directives, a short text
// whose terminator is the last readable byte before an unmapped page. Built
// once, before the children are forked.
const std::vector<Text> &texts();
// The same set for arguments that are paths: the texts above plus a path of
// 50,000 components below a regular file.
const std::vector<Text> &path_texts();
// Hostile integers: INT_MIN, -1, 0, INT_MAX and a large positive value.
const std::vector<int> &ints();

// A writable buffer of size bytes that ends against an unreadable page, so
// a write past its end faults at once. Valid in the children.
char *guarded_buffer(int size);

// Paths in the temporary installation of the run: an existing regular file,
// an existing directory, and a relative name that does not exist (each child
// runs in an empty directory of its own).
const char *existing_file();
const char *existing_dir();
const char *missing_path();
// A fresh path below the installation, unique per call in a child.
std::string scratch(const char *name);

class Rows {
public:
    // Rows added from now on start the child this way (Bare by default).
    void start(Start start) { start_ = start; }
    // Rows added from now on may also end the process with this documented
    // exit status (0 for none).
    void may_exit(int status) { exit_status_ = status; }

    void add(const std::string &function, const std::string &args, std::function<long()> call,
             std::optional<long> expect = std::nullopt);
    // One row per call, all with the same hostile arguments and result.
    void each(const std::string &args, std::optional<long> expect, std::initializer_list<Call> calls) {
        for (const Call &c : calls) add(c.function, args, c.call, expect);
    }
    // Rows::text, Rows::path or Rows::integer for each call, all with the
    // same expected results.
    void texts(Expect expect, std::initializer_list<TextCall> calls) {
        for (const TextCall &c : calls) text(c.function, c.call, expect);
    }
    void paths(Expect expect, std::initializer_list<TextCall> calls) {
        for (const TextCall &c : calls) path(c.function, c.call, expect);
    }
    void integers(std::optional<long> expect, std::initializer_list<IntCall> calls) {
        for (const IntCall &c : calls) integer(c.function, c.call, expect);
    }
    // One row per hostile text.
    void text(const std::string &function, std::function<long(const char *)> call,
              Expect expect = {}) {
        over(sweep::texts(), "", function, std::move(call), expect);
    }
    // The same, the row's arguments named "<what>, <hostile text>".
    void text(const std::string &function, const std::string &what,
              std::function<long(const char *)> call, Expect expect = {}) {
        over(sweep::texts(), what + ", ", function, std::move(call), expect);
    }
    // One row per hostile path.
    void path(const std::string &function, std::function<long(const char *)> call,
              Expect expect = {}) {
        over(sweep::path_texts(), "path: ", function, std::move(call), expect);
    }
    void path(const std::string &function, const std::string &what,
              std::function<long(const char *)> call, Expect expect = {}) {
        over(sweep::path_texts(), what + ", path: ", function, std::move(call), expect);
    }
    // Two texts: each hostile text in either place with `other` in the other
    // place, and both null (checked against expect.null).
    void text2(const std::string &function, std::function<long(const char *, const char *)> call,
               const char *other, Expect expect = {});
    // One row per hostile text, handed over as a modifiable copy whose
    // terminator is the last byte before an unreadable page (null stays null).
    void in_place(const std::string &function, std::function<long(char *)> call,
                  Expect expect = {});
    // One row per size: call gets a buffer of size + 1 bytes (1 byte for a
    // negative or huge size), empty, ending against an unreadable page, and
    // the size itself.
    void buffers(const std::string &function, std::initializer_list<int> sizes,
                 std::function<long(char *, int)> call, std::optional<long> expect = std::nullopt);
    // One row per hostile integer.
    void integer(const std::string &function, std::function<long(int)> call,
                 std::optional<long> expect = std::nullopt);

    std::vector<Row> &all() { return rows_; }

private:
    void over(const std::vector<Text> &values, const std::string &prefix,
              const std::string &function, std::function<long(const char *)> call, Expect expect);

    std::vector<Row> rows_;
    Start start_ = Start::Bare;
    int exit_status_ = 0;
};

using Family = void (*)(Rows &);
struct Registrar {
    Registrar(const char *family, Family fill);
};
// Every registered family, in no defined order.
std::vector<std::pair<std::string, Family>> &families();

}  // namespace sweep

// A table entry for Rows::each: the function and its arguments, e.g.
// SWEEP_CALL(orv_data_copy, nullptr).
#define SWEEP_CALL(function, ...) \
    sweep::Call{#function, [] { return sweep::result_of([] { return function(__VA_ARGS__); }); }}

// Table entries for Rows::texts and Rows::paths, and for Rows::integers: the
// function and its arguments, in which t names the hostile text and v the
// hostile integer, e.g. SWEEP_TEXT(ut_force_dir_with_perm, t, 0777) and
// SWEEP_INT(dt_from_unix, v).
#define SWEEP_TEXT(function, ...) \
    sweep::TextCall{#function, [](const char *t) { return sweep::result_of([t] { return function(__VA_ARGS__); }); }}
#define SWEEP_INT(function, ...) \
    sweep::IntCall{#function, [](int v) { return sweep::result_of([v] { return function(__VA_ARGS__); }); }}

#define SWEEP_ROWS(family)                                                       \
    static void sweep_rows_##family(sweep::Rows &rows);                          \
    static const sweep::Registrar sweep_registrar_##family(#family, sweep_rows_##family); \
    static void sweep_rows_##family(sweep::Rows &rows)
