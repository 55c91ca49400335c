// Entry point of the lumotext command-line tool: hands the arguments to the
// command-line parser with the process's standard streams.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "file_io.h"

int main(int argc, char **argv) {
#ifdef SIGPIPE
    // A closed pipe ends the tool as it ends any filter, even when the
    // parent left SIGPIPE ignored.
    std::signal(SIGPIPE, SIG_DFL);
#endif
    lumo::cli::UseBinaryMode(stdin);
    lumo::cli::UseBinaryMode(stdout);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = lumo::cli::RunCommandLine(args, {stdin, stdout, stderr});
    // A write error that shows only when the stream is closed still counts.
    if (std::fflush(stdout) != 0 && status == lumo::cli::kExitOk) {
        std::perror("lumotext: cannot write to standard output");
        return lumo::cli::kExitFailure;
    }
    return status;
}
