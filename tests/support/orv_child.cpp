// Child processes for console tests.
#include "support/orv_child.h"

#include "support/orv_test_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace orvtest {

ChildRun run_in_child(const std::string &input, const std::function<void()> &body) {
    TempDir dir;
    const std::string in = dir.write("stdin.txt", input);
    const std::string out = dir / "stdout.txt";
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in_fd = ::open(in.c_str(), O_RDONLY);
        const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in_fd < 0 || out_fd < 0) ::_exit(126);
        ::dup2(in_fd, 0);
        ::dup2(out_fd, 1);
        std::clearerr(stdin);
        body();
        std::fflush(nullptr);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return {read_file(out), code};
}

ChildRun run_shell(const std::string &command) {
    ChildRun run{"", -1};
    FILE *pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace orvtest
