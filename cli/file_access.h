// Files opened the safe way, one platform's calls behind each function (file_access_posix.cpp and
// file_access_win32.cpp). Inputs are opened without blocking on a FIFO; whatever cannot seek (standard
// input, a FIFO, a device) is first copied into an anonymous temporary file. Outputs are never opened
// by a predictable name: a temporary file is created exclusively under a random name and handed on as
// an open descriptor, never reopened. Every wait checks for an interrupt. Names given to these functions
// are the user's; messages use them.
#pragma once

#include <cstddef>
#include <string>

namespace zarpacli {

// A C runtime file descriptor that closes itself.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = other.release();
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset();  // closes

private:
    int fd_ = -1;
};

// "-" stands for standard input or output.
inline bool isStandardStream(const std::string& name) { return name == "-"; }

// Opens an input for reading, positioned at its start and able to seek. Throws a processing CliError
// ("NAME: no such file", "NAME: is a directory", the system's reason). A stream is copied only up to
// one byte beyond spoolLimit (0: whole), enough for a caller with a size limit to see it is too large.
FileDescriptor openInputFile(const std::string& name, std::size_t spoolLimit = 0);

// Reads up to `size` bytes, fewer only at the end of the file; throws a processing CliError naming `name`.
std::size_t readFully(int fd, void* data, std::size_t size, const std::string& name);
// Writes all bytes; throws a processing CliError naming `name`.
void writeFully(int fd, const void* data, std::size_t size, const std::string& name);

// An output as found before writing.
struct OutputPlace {
    enum class Kind {
        NewFile,       // nothing there yet
        ExistingFile,  // a regular file, to be replaced
        Stream,        // standard output, a FIFO or a character device: written into, never replaced
    };
    Kind kind = Kind::NewFile;
    std::string path;  // symbolic links resolved: the file that is written or replaced
};

// Throws a usage CliError for a directory, a block device, a socket or a link to nothing.
OutputPlace examineOutput(const std::string& name);

// An output file being written: a temporary file beside the target, created exclusively (a random name,
// readable by its owner only) and opened once.
struct TemporaryFile {
    FileDescriptor fd;
    std::string path;
};
TemporaryFile createTemporaryBeside(const std::string& target, const std::string& name);

// An unnamed temporary file that vanishes when closed (the user's temporary folder).
FileDescriptor createAnonymousFile(const std::string& name);

// Opens a stream output for writing; waits (interruptibly) for a FIFO's reader. "-" is standard output.
FileDescriptor openStream(const OutputPlace& place, const std::string& name);

// Moves the finished temporary file over the target (closing its descriptor). A replaced file's mode and
// owner (where permitted) carry over; a new file gets the mode a plain create would have given it. Without
// `replace`, an existing target is left alone and the move fails. Throws a processing CliError.
void publishTemporary(TemporaryFile& temp, const std::string& target, bool replace, const std::string& name);

// Removes a temporary file that was not published; errors are ignored.
void removeTemporary(const std::string& path);

// Empties a file being written, to write it again from the start; throws a processing CliError.
void truncateFile(int fd, const std::string& name);
// A second descriptor of the same open file, positioned at its start (the two share the position).
FileDescriptor duplicateFromStart(int fd, const std::string& name);

// Copies a file from its start into another descriptor (a stream output); throws a processing CliError.
void copyToStream(int from, int to, const std::string& name);

}  // namespace zarpacli
