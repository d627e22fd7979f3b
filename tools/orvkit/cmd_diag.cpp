// orvkit dump, log and time: the byte layout of the family's memory dumps
// applied to a file, a line appended to a permanent log the way a program
// appends it, and a command's run time written to a timer log.
#include "cmdline.h"
#include "json.h"
#include "orvkit.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int run_dump(int argc, char **argv);
int run_log(int argc, char **argv);
int run_time(int argc, char **argv);

const orvkit::Command kDump{
    "dump", "Show a file's bytes in the layout of the library's memory dumps",
    "usage: orvkit dump FILE [--format hex|ascii|decimal] [--offset N] [--length N] [--json]\n"
    "\n"
    "Writes FILE's name, the line \"(Dumping N bytes starting at address P)\" and\n"
    "the bytes, 16 to a row after the row's address, as every program of the\n"
    "family dumps memory. The file is mapped at 0x200000000000 where the system\n"
    "allows it, so that an address reads as that base plus the file offset.\n"
    "\n"
    "  -f, --format F   hex (\"%02x \" per byte), ascii (hex with a column where\n"
    "                   letters show as themselves, every other byte as \".\")\n"
    "                   or decimal (\"%3d \" per byte); default ascii\n"
    "  -o, --offset N   first byte to show (default 0)\n"
    "  -n, --length N   number of bytes to show (default: to the end)\n"
    "  -j, --json       print one JSON object: path, offset, length, format and\n"
    "                   rows, each row an object with offset, bytes (numbers)\n"
    "                   and, for the ascii format, text\n"
    "\n"
    "Exit status: 0 shown, 1 the file could not be read, 2 bad usage.\n",
    run_dump};
const orvkit::Command kLog{
    "log", "Append a line to a permanent log file",
    "usage: orvkit log FILE TEXT... [--cap KB] [--time-stamp]\n"
    "\n"
    "Appends the words of TEXT, joined by blanks, as one line of the permanent log\n"
    "FILE (created when missing), as the programs write their logs: no prefix,\n"
    "and when the file has reached its cap it becomes the backup FILE- and a new\n"
    "file starts with a note naming it (the size is checked every 50 lines).\n"
    "\n"
    "  -c, --cap KB       cap of the file in kilobytes (default 500; kept within\n"
    "                     10 to 102,400)\n"
    "  -t, --time-stamp   add the date line \"** Time of this message: ...\"\n"
    "                     after the line\n"
    "\n"
    "Exit status: 0 written, 1 the file could not be opened, 2 bad usage.\n",
    run_log};
const orvkit::Command kTime{
    "time", "Run a command and write its run time to a timer log",
    "usage: orvkit time [--log FILE] [--units WORD] [--cap KB] [--json] -- COMMAND [ARG...]\n"
    "\n"
    "Runs COMMAND, measures it with a quick timer and writes one line of the\n"
    "timer log: the command (cut to 29 characters), an empty size column and the\n"
    "seconds, under the log's column header. The seconds also go to standard\n"
    "error as \"orvkit time: S sec, exit status N\".\n"
    "\n"
    "  -l, --log FILE     the timer log (default: timing.log in the log directory)\n"
    "  -u, --units WORD   unit word of the log's header (default \"items\")\n"
    "  -c, --cap KB       cap of the log in kilobytes (default 500)\n"
    "  -j, --json         print one JSON object: command, elapsed_seconds,\n"
    "                     exit_status (null when the command did not end by\n"
    "                     itself) and path\n"
    "\n"
    "Exit status: 0 the command succeeded, 1 it failed or could not be run, or the\n"
    "log could not be written, 2 bad usage.\n",
    run_time};

const orvkit::Registrar dump_registrar(kDump);
const orvkit::Registrar log_registrar(kLog);
const orvkit::Registrar time_registrar(kTime);

// Library errors and warnings go to standard error, traces nowhere.
void to_stderr(const char *text, int kind) {
    if (kind == tr_KIND_ERROR || kind == tr_KIND_WARNING) std::fprintf(stderr, "%s\n", text);
}

// Where a dumped file is mapped, so that addresses read as base + offset.
constexpr std::uintptr_t kDumpBase = 0x200000000000;

// The cap option in kilobytes as the byte count tr_open_log takes.
bool cap_bytes(long kilobytes, unsigned int *bytes) {
    if (kilobytes < 0) return false;
    const long long value = static_cast<long long>(kilobytes) * 1024;
    *bytes = value > static_cast<long long>(UINT_MAX) ? UINT_MAX : static_cast<unsigned int>(value);
    return true;
}

int run_dump(int argc, char **argv) {
    const char *format_name = "ascii";
    long offset = 0;
    long length = -1;
    bool json = false;
    orvkit::CommandLine line(kDump);
    line.text('f', "format", &format_name)
        .number('o', "offset", &offset)
        .number('n', "length", &length)
        .flag('j', "json", &json);
    if (const int status = line.parse(argc, argv, 1, 1)) return status;
    int format = 0;
    if (std::strcmp(format_name, "hex") == 0)
        format = tr_FORMAT_HEX;
    else if (std::strcmp(format_name, "ascii") == 0)
        format = tr_FORMAT_ASCII;
    else if (std::strcmp(format_name, "decimal") == 0)
        format = tr_FORMAT_DECIMAL;
    else
        return orvkit::usage_error(kDump, "unknown format \"%s\" (hex, ascii or decimal)",
                                   format_name);
    if (offset < 0) return orvkit::usage_error(kDump, "negative offset %ld", offset);
    if (length < -1) return orvkit::usage_error(kDump, "negative length %ld", length);

    const char *path = line.operand(0);
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fprintf(stderr, "orvkit dump: cannot read \"%s\": %s\n", path,
                     fd < 0 ? std::strerror(errno) : "not a regular file");
        if (fd >= 0) close(fd);
        return orvkit::kFailed;
    }
    const long long size = info.st_size;
    const long long first = offset < size ? offset : size;
    const long long count = length < 0 || first + length > size ? size - first : length;
    const long page = sysconf(_SC_PAGESIZE);
    const long long aligned = first / page * page;
    const std::size_t mapped = static_cast<std::size_t>(first + count - aligned);
    void *map = nullptr;
    if (count > 0) {
        map = mmap(reinterpret_cast<void *>(kDumpBase + aligned), mapped, PROT_READ, MAP_PRIVATE,
                   fd, aligned);
        if (map == MAP_FAILED) {
            std::fprintf(stderr, "orvkit dump: cannot map \"%s\": %s\n", path, std::strerror(errno));
            close(fd);
            return orvkit::kFailed;
        }
    }
    close(fd);
    const auto *bytes = map ? static_cast<const unsigned char *>(map) + (first - aligned)
                            : reinterpret_cast<const unsigned char *>(kDumpBase + first);

    if (json) {
        orvkit::Json rows = orvkit::Json::array();
        for (long long row = 0; row < count; row += 16) {
            orvkit::Json entry = orvkit::Json::object();
            entry["offset"] = first + row;
            orvkit::Json values = orvkit::Json::array();
            std::string text;
            for (long long i = row; i < count && i < row + 16; ++i) {
                values.push_back(bytes[i]);
                text += std::isalpha(bytes[i]) && bytes[i] < 0x80 ? static_cast<char>(bytes[i]) : '.';
            }
            entry["bytes"] = values;
            if (format == tr_FORMAT_ASCII) entry["text"] = text;
            rows.push_back(entry);
        }
        orvkit::Json doc = orvkit::Json::object();
        doc["path"] = orvkit::text(path);
        doc["offset"] = first;
        doc["length"] = count;
        doc["format"] = format_name;
        doc["rows"] = rows;
        orvkit::print_json(doc);
    } else {
        tr_set_message_tag_display(0);
        tr_mem("orvkit", 0, tr_APP, bytes, static_cast<unsigned long>(count), format, "%s", path);
    }
    if (map) munmap(map, mapped);
    return orvkit::kOk;
}

int run_log(int argc, char **argv) {
    long cap = 0;
    bool time_stamp = false;
    orvkit::CommandLine line(kLog);
    line.number('c', "cap", &cap).flag('t', "time-stamp", &time_stamp);
    if (const int status = line.parse(argc, argv, 2, -1)) return status;
    unsigned int bytes = 0;
    if (!cap_bytes(cap, &bytes)) return orvkit::usage_error(kLog, "negative cap %ld", cap);
    std::string text;
    for (std::size_t i = 1; i < line.operands().size(); ++i) {
        if (i > 1) text += ' ';
        text += line.operands()[i];
    }
    tr_init_with_call_back(to_stderr);
    tr_log_t *log = tr_open_log(line.operand(0), bytes);
    if (!log) {
        std::fprintf(stderr, "orvkit log: cannot open \"%s\": %s\n", line.operand(0),
                     std::strerror(errno));
        return orvkit::kFailed;
    }
    if (time_stamp) {
        tr_set_time_log_interval(0);
        tr_log_enable_time_stamp(log);
    }
    tr_log(log, "%s", text.c_str());
    const bool written = log->fp != nullptr;
    tr_close_log(log);
    return written ? orvkit::kOk : orvkit::kFailed;
}

int run_time(int argc, char **argv) {
    const char *log_path = nullptr;
    const char *units = "items";
    long cap = 0;
    bool json = false;
    orvkit::CommandLine line(kTime);
    line.text('l', "log", &log_path)
        .text('u', "units", &units)
        .number('c', "cap", &cap)
        .flag('j', "json", &json)
        .options_first();
    if (const int status = line.parse(argc, argv, 1, -1)) return status;
    unsigned int bytes = 0;
    if (!cap_bytes(cap, &bytes)) return orvkit::usage_error(kTime, "negative cap %ld", cap);
    tr_init_with_call_back(to_stderr);
    std::string path;
    if (log_path) {
        path = log_path;
    } else {
        const char *dir = ut_orv_log_dir();
        if (!dir || !*dir)
            return orvkit::usage_error(kTime, "no --log given and no log directory (ORV_LOG_PATH)");
        path = std::string(dir) + "/timing.log";
    }
    if (orvqtimer_log_set_filename(path.c_str(), units, bytes) != 0) return orvkit::kFailed;

    std::vector<char *> args;
    std::string command;
    for (const std::string &word : line.operands()) {
        args.push_back(const_cast<char *>(word.c_str()));
        if (!command.empty()) command += ' ';
        command += word;
    }
    args.push_back(nullptr);
    std::fflush(nullptr);
    orvqtimer_t timer;
    orvqtimer_init(&timer, 1);
    const pid_t child = fork();
    if (child == 0) {
        execvp(args[0], args.data());
        std::fprintf(stderr, "orvkit time: cannot run \"%s\": %s\n", args[0], std::strerror(errno));
        _exit(127);
    }
    int status = 0;
    bool waited = child > 0;
    while (waited && waitpid(child, &status, 0) < 0)
        if (errno != EINTR) waited = false;
    orvqtimer_stop(&timer);
    if (child < 0) {
        std::fprintf(stderr, "orvkit time: cannot start a process: %s\n", std::strerror(errno));
        orvqtimer_log_set_filename(nullptr, units, 0);
        return orvkit::kFailed;
    }
    orvqtimer_log_elapsed_seconds("orvkit", 0, &timer, "%s", command.c_str());
    orvqtimer_log_set_filename(nullptr, units, 0);
    const float seconds = orvqtimer_elapsed_seconds(&timer);
    const bool exited = waited && WIFEXITED(status);
    const int exit_status = exited ? WEXITSTATUS(status) : -1;
    if (exited)
        std::fprintf(stderr, "orvkit time: %.2f sec, exit status %d\n", static_cast<double>(seconds),
                     exit_status);
    else
        std::fprintf(stderr, "orvkit time: %.2f sec, ended by a signal\n", static_cast<double>(seconds));
    if (json) {
        orvkit::Json doc = orvkit::Json::object();
        doc["command"] = orvkit::text(command.c_str());
        doc["elapsed_seconds"] = orvqtimer_elapsed_milliseconds(&timer) / 1000.0;
        doc["exit_status"] = exited ? orvkit::Json(exit_status) : orvkit::Json(nullptr);
        doc["path"] = orvkit::text(path.c_str());
        orvkit::print_json(doc);
    }
    return exited && exit_status == 0 ? orvkit::kOk : orvkit::kFailed;
}

}  // namespace
