// orvkit trace: writes one trace line, to standard output or into a program's
// trace file in the log directory, so that operators and scripts can add their
// own lines to the traces the programs write.
#include "orvkit.h"

#include "cmdline.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

const char *const kLevelWords[] = {"none", "tr_NONE", "low",  "tr_LOW", "medium", "mid",
                                   "tr_MID", "high", "tr_HIGH", "app", "tr_APP"};

// A level word (as tr_level_from_string reads it) or a whole number.
bool parse_level(const char *text, int *level) {
    char *end = nullptr;
    errno = 0;
    const long number = std::strtol(text, &end, 10);
    if (end != text && *end == '\0') {
        if (errno != 0 || number < -2147483647L || number > 2147483647L) return false;
        *level = static_cast<int>(number);
        return true;
    }
    for (const char *word : kLevelWords) {
        if (orvstr_icmp(text, word) == 0) {
            *level = tr_level_from_string(text);
            return true;
        }
    }
    return false;
}

extern const orvkit::Command kTraceCommand;

int run_trace(int argc, char **argv) {
    const orvkit::Command &command = kTraceCommand;
    if (orvkit::wants_help(argc, argv)) return orvkit::print_usage(command);
    const char *level_text = "high";
    const char *threshold_text = nullptr;
    const char *program = nullptr;
    orvkit::CommandLine line(command);
    line.text('l', "level", &level_text)
        .text('t', "threshold", &threshold_text)
        .text('f', "file", &program);
    if (const int status = line.parse(argc, argv, 1, -1)) return status;

    int level = tr_HIGH;
    if (!parse_level(level_text, &level))
        return orvkit::usage_error(command, "unknown level \"%s\"", level_text);
    int threshold = -1;
    if (threshold_text) {
        if (!parse_level(threshold_text, &threshold) || threshold < tr_LOW || threshold > tr_NONE)
            return orvkit::usage_error(command, "threshold \"%s\" is not a level from low to none",
                                       threshold_text);
    }
    if (program && !*program) return orvkit::usage_error(command, "empty program name");

    std::string message;
    for (const std::string &word : line.operands()) {
        if (!message.empty()) message += ' ';
        message += word;
    }

    if (program) {
        const int status = tr_init(program);
        if (status != 0) {
            std::fprintf(stderr, "orvkit trace: cannot start the trace file of \"%s\" (%d)\n",
                         program, status);
            return orvkit::kFailed;
        }
    }
    if (threshold_text) tr_ignore_traces_below_level_quietly(threshold);
    tr_trace("orvkit", 0, level, "%s", message.c_str());
    if (program && tr_term() != 0) {
        std::fprintf(stderr, "orvkit trace: the trace file of \"%s\" could not be closed\n",
                     program);
        return orvkit::kFailed;
    }
    return orvkit::kOk;
}

const orvkit::Command kTraceCommand = {
    "trace", "Write a trace line to standard output or a program's trace file",
    "usage: orvkit trace [--level L] [--threshold T] [--file PROGRAM] MESSAGE...\n"
    "\n"
    "Writes the words of MESSAGE, joined by blanks, as one trace line\n"
    "\"[orvkit,0 yyyyMMdd HH:mm:ss,mmm] MESSAGE\".\n"
    "\n"
    "  -l, --level L        level of the line: low, mid, high, app, none or a\n"
    "                       number (default high); numbers outside 100 to 103\n"
    "                       get an alert line in front\n"
    "  -t, --threshold T    write only lines at or above T (low to none;\n"
    "                       default high, so low and mid lines are dropped)\n"
    "  -f, --file PROGRAM   write into the trace file of PROGRAM in the log\n"
    "                       directory (ORV_LOG_PATH) instead of standard output;\n"
    "                       the file is started as the program itself starts it:\n"
    "                       an existing file becomes the backup PROGRAM.log-\n"
    "\n"
    "Exit status: 0 written or filtered out, 1 the trace file could not be\n"
    "started or closed, 2 bad usage; 102 when the trace file cannot be created.\n",
    run_trace};

const orvkit::Registrar registrar(kTraceCommand);

}  // namespace
