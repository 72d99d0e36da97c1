// An output written atomically: the data goes to a hidden temporary file beside the target (created
// exclusively under a random name and written through one open descriptor), which replaces the target
// only when everything succeeded. Until then the target is untouched, and a failed or interrupted run
// removes the temporary file. A stream output (standard output "-", a FIFO, a character device) is
// written into, never replaced: the data is gathered in an anonymous temporary file and copied into the
// stream on commit, so a failed run writes nothing there either.
#pragma once

#include <string>
#include <vector>

#include "cli/file_access.h"

namespace zarpacli {

class PendingOutput {
public:
    // `replace`: an existing regular file may be replaced (--force). Throws a CliError.
    PendingOutput(const std::string& target, bool replace);
    ~PendingOutput();  // removes the temporary file unless committed
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    // The descriptor to write the data into (read and write, positioned at the start).
    int fd() const { return file_.get(); }
    const std::string& target() const { return target_; }
    bool isStream() const { return place_.kind == OutputPlace::Kind::Stream; }
    // Writes the whole data at once; throws a processing CliError.
    void writeAll(const std::vector<unsigned char>& bytes);
    // Puts the data in place; throws a processing CliError on failure.
    void commit();

private:
    std::string target_;
    bool replace_;
    OutputPlace place_;
    TemporaryFile temp_;     // files
    FileDescriptor stream_;  // streams
    FileDescriptor gathered_;
    FileDescriptor& file_;
    int slot_ = -1;
    bool committed_ = false;
};

// Whether two names lead to the same file (existing or not).
bool samePath(const std::string& a, const std::string& b);

// Refuses (usage CliError) an output that is a regular file and exists without `force`, one that
// cannot be written at all (a directory, a block device), and one that is any of the inputs, even with
// `force`. FIFOs, character devices and standard output are written into and need no --force.
void checkOutputPath(const std::string& output, bool force, const std::vector<std::string>& inputs);

// Writes bytes atomically (temporary file, then rename); throws a CliError.
void writeFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes, bool replace);

}  // namespace zarpacli
