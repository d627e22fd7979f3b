// The sweep's machinery: the hostile values, the row helpers, the list of the
// shared library's exported functions, and the runner that executes every row
// in a child process with a time limit.
#include "sweep.h"

#include "support/orv_test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <map>
#include <set>

namespace sweep {

std::vector<std::pair<std::string, Family>> &families() {
    static std::vector<std::pair<std::string, Family>> all;
    return all;
}

Registrar::Registrar(const char *family, Family fill) { families().emplace_back(family, fill); }

namespace {

// Maps `readable` bytes followed by one inaccessible page and returns the
// address of the first readable byte; the region lives for the process.
char *against_guard_page(size_t readable) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t pages = (readable + page - 1) / page + 1;
    void *base = mmap(nullptr, pages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                      -1, 0);
    if (base == MAP_FAILED) std::abort();
    char *guard = static_cast<char *>(base) + (pages - 1) * page;
    if (mprotect(guard, page, PROT_NONE) != 0) std::abort();
    return guard - readable;
}

std::string root() {
    const char *r = std::getenv("ORV_ROOT_PATH");
    return r ? r : "/nonexistent";
}

// What expect gives for the hostile text t.
std::optional<long> expected(const Expect &expect, const Text &t) {
    if (t.value == nullptr) return expect.null;
    return *t.value == '\0' ? expect.empty : expect.rest;
}

}  // namespace

const std::vector<Text> &texts() {
    static const std::vector<Text> all = [] {
        static const std::string long_text(100000, 'a');
        char *guarded = against_guard_page(4);
        std::memcpy(guarded, "abc", 4);
        return std::vector<Text>{
            {"null", nullptr},
            {"empty", ""},
            {"100,000 bytes", long_text.c_str()},
            {"printf directives", "%s%s%n%p%x%99999d%%"},
            {"ends against an unreadable page", guarded},
        };
    }();
    return all;
}

const std::vector<Text> &path_texts() {
    static const std::vector<Text> all = [] {
        std::vector<Text> paths = texts();
        static std::string deep = existing_file();
        for (int i = 0; i < 50000; ++i) deep += "/a";
        paths.push_back({"50,000 components below a file", deep.c_str()});
        return paths;
    }();
    return all;
}

const std::vector<int> &ints() {
    static const std::vector<int> all{INT_MIN, -1, 0, INT_MAX, 1 << 30};
    return all;
}

char *guarded_buffer(int size) { return against_guard_page(static_cast<size_t>(size)); }

const char *existing_file() {
    static const std::string path = root() + "/present.txt";
    return path.c_str();
}
const char *existing_dir() {
    static const std::string path = root() + "/present.dir";
    return path.c_str();
}
const char *missing_path() { return "missing/none"; }
std::string scratch(const char *name) {
    static std::atomic<int> serial{0};
    return root() + "/scratch/" + std::to_string(getpid()) + "-" + std::to_string(serial++) + "-" +
           name;
}

void Rows::add(const std::string &function, const std::string &args, std::function<long()> call,
               std::optional<long> expect) {
    rows_.push_back(Row{function, args, std::move(call), expect, start_, exit_status_});
}

void Rows::over(const std::vector<Text> &values, const std::string &prefix,
                const std::string &function, std::function<long(const char *)> call,
                Expect expect) {
    for (const Text &t : values)
        add(function, prefix + t.label, [call, t] { return call(t.value); }, expected(expect, t));
}

void Rows::text2(const std::string &function,
                 std::function<long(const char *, const char *)> call, const char *other,
                 Expect expect) {
    over(sweep::texts(), "first ", function, [call, other](const char *t) { return call(t, other); }, expect);
    over(sweep::texts(), "second ", function, [call, other](const char *t) { return call(other, t); }, expect);
    add(function, "all null", [call] { return call(nullptr, nullptr); }, expect.null);
}

void Rows::in_place(const std::string &function, std::function<long(char *)> call,
                    Expect expect) {
    over(sweep::texts(), "modifiable ", function, [call](const char *t) {
        if (t == nullptr) return call(nullptr);
        const size_t size = std::strlen(t) + 1;
        return call(static_cast<char *>(std::memcpy(guarded_buffer(static_cast<int>(size)), t, size)));
    }, expect);
}

void Rows::buffers(const std::string &function, std::initializer_list<int> sizes,
                   std::function<long(char *, int)> call, std::optional<long> expect) {
    for (int size : sizes)
        add(function, "size " + std::to_string(size) + ", buffer against an unreadable page", [call, size] {
            char *buffer = guarded_buffer(size >= 0 && size < (1 << 20) ? size + 1 : 1);
            *buffer = '\0';
            return call(buffer, size);
        }, expect);
}

void Rows::integer(const std::string &function, std::function<long(int)> call,
                   std::optional<long> expect) {
    for (int v : ints())
        add(function, "integer " + std::to_string(v), [call, v] { return call(v); }, expect);
}

namespace {

// The functions the shared library exports ("T" symbols of its dynamic table).
std::set<std::string> exported_functions(const std::string &library) {
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only '" + library + "' 2>/dev/null";
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        char type = 0;
        char name[400];
        if (std::sscanf(line, "%*s %c %399s", &type, name) == 2 && (type == 'T' || type == 'W' || type == 'i'))
            names.insert(name);
    }
    pclose(pipe);
    return names;
}

void discard_trace(const char *text, int) {
    volatile size_t n = std::strlen(text);
    (void)n;
}

// Ends the child with status after saying why on its output.
[[noreturn]] void fail(int status, const std::string &why) {
    std::fprintf(stderr, "\nSWEEP: %s\n", why.c_str());
    std::fflush(nullptr);
    _exit(status);
}

// Runs in the child: the trace mode of the row's turn, the start it asks for,
// the call and the check. Never returns.
[[noreturn]] void run_child(const Row &row, size_t index, const std::string &output,
                            unsigned seconds) {
    alarm(seconds);
    // Relative names in the rows land in the scratch folder, never in the
    // build tree.
    const std::string own = root() + "/scratch/" + std::to_string(index);
    if (mkdir(own.c_str(), 0700) != 0 || chdir(own.c_str()) != 0) _exit(5);
    // Console readers meet an empty standard input, never the terminal.
    const int none = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (none >= 0) {
        dup2(none, 0);
        close(none);
    }
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
        close(out);
    }
    switch (row.start == Start::Untraced ? 0 : index % 3) {
    case 0:
        break;  // no facility: reports go to standard output
    case 1:
        tr_init_with_call_back(discard_trace);
        break;
    default:
        tr_init(("sweep" + std::to_string(index)).c_str());
        break;
    }
    if (row.start == Start::Localized) setenv("ORV_SYS_CONFIG_PATH", (root() + "/languages").c_str(), 1);
    if (row.start == Start::Configured && cf_init(nullptr) != 0)
        fail(4, "the configuration module did not start");
    long result = 0;
    try {
        result = row.call();
    } catch (const std::exception &e) {
        fail(6, std::string("threw ") + e.what());  // no exception may leave the C interface
    } catch (...) {
        fail(6, "threw");
    }
    if (row.expect && result != *row.expect)
        fail(3, "returned " + std::to_string(result) + ", expected " + std::to_string(*row.expect));
    std::fflush(nullptr);
    _exit(0);
}

std::string tail_of(const std::string &path) {
    std::string text = orvtest::read_file(path);
    if (text.size() > 3000) text = "..." + text.substr(text.size() - 3000);
    return text;
}

}  // namespace

}  // namespace sweep

namespace {

using sweep::Row;

const char *const Behaviors = "{\n    locked = { variables = { PORT = 0x10; }; };\n}\n";
const char *const SiteFile = "PORT\tUSER\t104\nSERVERS\tADMIN\talpha beta\n";

class HostileSweep : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        install_ = new orvtest::TempInstallation;
        install_->write("sys/data/cf/behavior.plist", Behaviors);
        install_->write("site/config/viewer.site", SiteFile);
        install_->write("sys/config/viewer.base", SiteFile);
        install_->write("languages/interface.base", "SupportedLanguages\tSYSTEM\tenu deu\nenu.LanguageID\tSYSTEM\t1\n"
                                                    "deu.LanguageID\tSYSTEM\t2\n");
        install_->write("present.txt", "present\n");
        install_->write("present.dir/inside.txt", "inside\n");
        install_->write("log/.keep", "");
        install_->write("scratch/.keep", "");
        install_->write("out/.keep", "");
        // Built before any fork, so every child sees the same values.
        sweep::path_texts();
        for (auto &[family, fill] : sweep::families()) fill(rows_);
    }
    static void TearDownTestSuite() {
        delete install_;
        install_ = nullptr;
    }

    static orvtest::TempInstallation *install_;
    static sweep::Rows rows_;
};

orvtest::TempInstallation *HostileSweep::install_ = nullptr;
sweep::Rows HostileSweep::rows_;

TEST_F(HostileSweep, EveryExportedFunctionHasRows) {
    const std::set<std::string> exported = sweep::exported_functions(ORV_SWEEP_LIBRARY);
    if (exported.empty()) GTEST_SKIP() << "no dynamic symbol table in " << ORV_SWEEP_LIBRARY;
    std::set<std::string> covered;
    for (const Row &row : rows_.all()) covered.insert(row.function);
    std::vector<std::string> missing, unknown;
    for (const std::string &name : exported)
        if (!covered.count(name)) missing.push_back(name);
    for (const std::string &name : covered)
        if (!exported.count(name)) unknown.push_back(name);
    auto listed = [](const std::vector<std::string> &names) {
        std::string text;
        for (const std::string &name : names) text += " " + name;
        return text;
    };
    EXPECT_TRUE(missing.empty()) << "exported functions without a row (add them to "
                                    "tests/sweep/<family>_rows.cc):"
                                 << listed(missing);
    EXPECT_TRUE(unknown.empty()) << "rows for functions the library does not export:"
                                 << listed(unknown);
}

TEST_F(HostileSweep, EveryRowEndsNormallyInTime) {
    constexpr unsigned Seconds = 10;
    constexpr size_t Parallel = 4;
    std::vector<Row> &rows = rows_.all();
    ASSERT_FALSE(rows.empty());
    std::map<pid_t, size_t> running;
    auto output_of = [](size_t i) { return (*install_) / ("out/" + std::to_string(i)); };
    auto reap = [&] {
        int status = 0;
        const pid_t pid = waitpid(-1, &status, 0);
        if (pid < 0) return;
        const auto it = running.find(pid);
        if (it == running.end()) return;
        const size_t i = it->second;
        running.erase(it);
        const Row &row = rows[i];
        std::string failure;
        if (WIFSIGNALED(status))
            failure = WTERMSIG(status) == SIGALRM
                          ? "did not finish within " + std::to_string(Seconds) + " s"
                          : std::string("ended by signal ") + strsignal(WTERMSIG(status));
        else if (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != row.exit_status)
            failure = "exited with status " + std::to_string(WEXITSTATUS(status));
        if (!failure.empty())
            ADD_FAILURE() << row.function << " (" << row.args << "): " << failure << "\n"
                          << sweep::tail_of(output_of(i));
        std::remove(output_of(i).c_str());
    };
    std::fflush(nullptr);
    for (size_t i = 0; i < rows.size(); ++i) {
        while (running.size() >= Parallel) reap();
        const pid_t pid = fork();
        ASSERT_GE(pid, 0) << std::strerror(errno);
        if (pid == 0) sweep::run_child(rows[i], i, output_of(i), Seconds);
        running[pid] = i;
    }
    while (!running.empty()) reap();
}

}  // namespace
