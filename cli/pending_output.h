// An output written atomically: the data goes to a hidden temporary file next to the target, which is
// renamed over the target only when everything succeeded. Until then the target is untouched, and a
// failed or interrupted run removes the temporary file.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace zarpacli {

class PendingOutput {
public:
    explicit PendingOutput(const std::string& target);
    ~PendingOutput();  // removes the temporary file unless committed
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    const std::string& tempPath() const { return temp_; }
    const std::string& target() const { return target_; }
    // Writes the whole temporary file at once; throws a processing CliError.
    void writeAll(const std::vector<unsigned char>& bytes);
    // Renames the temporary file over the target; throws a processing CliError on failure.
    void commit();

private:
    std::string target_;
    std::string temp_;
    bool committed_ = false;
};

// Whether two names lead to the same file (existing or not).
bool samePath(const std::string& a, const std::string& b);

// Refuses (usage CliError) an output that exists without `force`, and one that is any of the inputs,
// even with `force`.
void checkOutputPath(const std::string& output, bool force, const std::vector<std::string>& inputs);

// Writes bytes atomically (temporary file, then rename); throws a processing CliError.
void writeFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes);

// Set by SIGINT and SIGTERM; long jobs poll it and stop, leaving nothing behind.
extern std::atomic<bool> interruptRequested;
void installInterruptHandler();

}  // namespace zarpacli
