// The subcommands of `zarpa`, each returning its exit code. Output goes to stdout, messages to stderr.
#pragma once

#include "cli/command_line.h"

namespace zarpacli {

int runRender(const Options& options);
int runDemo(const Options& options);
int runAnalyze(const Options& options);
int runPresets(const Options& options);
int runParams(const Options& options);
int runInfo(const Options& options);

// Dispatches a parsed command line; throws CliError.
int runCommand(const Options& options);

}  // namespace zarpacli
