// Plays arbitrary bytes back as a playback file into a short console
// program: typed readers, a default, choices, a yes/no question and a menu.
// The process services are replaced: !term and the end-of-input limit throw
// instead of ending the process, !sleep and !shell do nothing, and !record
// and !play may open only the input itself (from memory) and /dev/null.
#include "fuzz_support.h"

#include <ORVCommonKit/choose.h>
#include <ORVCommonKit/input.h>
#include <ORVCommonKit/menu.h>

#include "console/input_testing.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct ProcessExit {
    int status;
};

// The playback file is the input itself, read from memory.
constexpr const char *kPlaybackName = "fuzz-input.npt";
const std::uint8_t *Input_bytes = nullptr;
std::size_t Input_size = 0;
// A playback file may play itself ("!play" of its own name) and so play for
// ever, as it would for a user; a run opens the input a few times at most.
int Opens_left = 0;
constexpr int kMaxOpens = 4;

FILE *open_own_files(const char *path, const char *mode) {
    if (mode[0] != 'r') return std::fopen("/dev/null", mode);
    if (std::strcmp(path, kPlaybackName) != 0 || Input_size == 0 || Opens_left-- <= 0) {
        errno = ENOENT;
        return nullptr;
    }
    return fmemopen(const_cast<std::uint8_t *>(Input_bytes), Input_size, "r");
}

void start_once() {
    static const bool started = [] {
        orvfuzz::quiet_trace();
        std::freopen("/dev/null", "r", stdin);
        std::freopen("/dev/null", "w", stdout);
        auto &services = orv::console::services();
        services.exit_process = [](int status) { throw ProcessExit{status}; };
        services.sleep_seconds = [](unsigned) {};
        services.run_command = [](const char *) { return 0; };
        services.open_file = open_own_files;
        return true;
    }();
    (void)started;
}

int count_calls(void *counter, void *) {
    ++*static_cast<int *>(counter);
    return 0;
}

void program() {
    int number = 0;
    unsigned char byte = 0;
    char c = 0;
    input_int(&number);
    input_byte(&byte);
    input_upchar(&c);
    char line[161] = "";
    input_default(line, "default");
    const char *items[] = {"red", "green", "blue"};
    choose_from_array("Colour", 1, nullptr, items, 3);
    choose_from_numbers("Number", 0, items, 3);
    choose_bool("Sure?");
    int calls = 0;
    std::unique_ptr<menu_t, void (*)(menu_t *)> menu(menu_init("Fuzz", "q"), menu_term);
    menu_add_entry(menu.get(), "a", "count", count_calls, &calls, 0, nullptr, 0);
    menu_add_entry_before_choice(menu.get(), "a", "b", "copy", count_calls, &calls, static_cast<int>(sizeof calls), nullptr, 0);
    menu_run(menu.get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    start_once();
    orv::console::reset_for_testing();
    // Standard input (/dev/null) ends at once: start near the end-of-input
    // limit so that the program stops after a few more ends, not fifty.
    orv::console::Input_eof_count = orv::console::kEofLimit - 5;
    Input_bytes = data;
    Input_size = size;
    Opens_left = kMaxOpens;
    try {
        input_playback_from_file(kPlaybackName);
        program();
    } catch (const ProcessExit &) {
    }
    orv::console::reset_for_testing();
    return 0;
}
