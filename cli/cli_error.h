// The renderer's one failure type: a message for the user and the exit code it stands for.
#pragma once

#include <stdexcept>
#include <string>

namespace zarpacli {

// Exit codes as audio tools use them.
enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 1,       // the command line asks for something impossible or unknown
    kExitProcessing = 2,  // a file could not be read, decoded or written, or the plug-in failed
};

class CliError : public std::runtime_error {
public:
    CliError(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
    ExitCode exitCode() const { return code_; }

private:
    ExitCode code_;
};

inline CliError usageError(const std::string& message) { return CliError(kExitUsage, message); }
inline CliError processingError(const std::string& message) { return CliError(kExitProcessing, message); }

}  // namespace zarpacli
