// Entry of the `zarpa` command: parses the command line, runs the subcommand, maps failures to exit codes.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/cli_error.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/interrupt.h"

int main(int argc, char** argv) {
    using namespace zarpacli;
    installInterruptHandler();
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        return runCommand(parseCommandLine(args));
    } catch (const CliError& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "zarpa: %s\n", e.what());
        return e.exitCode();
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "zarpa: %s\n", e.what());
        return kExitProcessing;
    }
}
