// Safe file access with POSIX calls.
#include <fcntl.h>
#include <poll.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "cli/cli_error.h"
#include "cli/file_access.h"
#include "cli/interrupt.h"

namespace zarpacli {

namespace {

constexpr int kPollMs = 100;  // the longest a wait goes without looking at the interrupt flag
constexpr int kNameAttempts = 64;
constexpr std::size_t kCopyBlock = 1 << 16;

std::string reason() { return std::strerror(errno); }

// Waits until fd is ready for `events`, looking at the interrupt flag at least every kPollMs.
void waitFor(int fd, short events) {
    for (;;) {
        throwIfInterrupted();
        pollfd p{fd, events, 0};
        if (::poll(&p, 1, kPollMs) > 0) return;
    }
}

void clearNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

std::string randomSuffix() {
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[10];
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        std::random_device device;
        for (auto& b : bytes) b = static_cast<unsigned char>(device());
    }
    std::string s;
    for (unsigned char b : bytes) s += kAlphabet[b % 36];
    return s;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename is only durable once the directory entry itself has reached the disk.
void syncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

mode_t defaultCreationMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Moves without replacing: renameat2 where the file system has it, else link and unlink.
bool moveWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

// Copies a stream (standard input, a FIFO, a device) into an anonymous file, rewound.
FileDescriptor spool(int from, const std::string& name, std::size_t limit) {
    FileDescriptor copy = createAnonymousFile(name);
    std::vector<char> buffer(kCopyBlock);
    for (std::size_t total = 0; limit == 0 || total <= limit;) {
        waitFor(from, POLLIN);
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            throw processingError(name + ": read failed (" + reason() + ")");
        }
        writeFully(copy.get(), buffer.data(), static_cast<std::size_t>(n), name);
        total += static_cast<std::size_t>(n);
    }
    if (::lseek(copy.get(), 0, SEEK_SET) != 0) throw processingError(name + ": " + reason());
    return copy;
}

}  // namespace

void FileDescriptor::reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

FileDescriptor openInputFile(const std::string& name, std::size_t spoolLimit) {
    struct stat st;
    if (isStandardStream(name)) {
        if (::fstat(STDIN_FILENO, &st) == 0 && S_ISREG(st.st_mode)) return FileDescriptor(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0));
        return spool(STDIN_FILENO, "standard input", spoolLimit);
    }
    // O_NONBLOCK: opening a FIFO must not wait for its writer where no interrupt can reach it.
    FileDescriptor fd(::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ENOENT) throw processingError(name + ": no such file");
        throw processingError(name + ": " + reason());
    }
    if (::fstat(fd.get(), &st) != 0) throw processingError(name + ": " + reason());
    if (S_ISDIR(st.st_mode)) throw processingError(name + ": is a directory");
    if (S_ISREG(st.st_mode)) {
        clearNonBlocking(fd.get());
        return fd;
    }
    return spool(fd.get(), name, spoolLimit);
}

std::size_t readFully(int fd, void* data, std::size_t size, const std::string& name) {
    auto* p = static_cast<char*>(data);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, p + got, size - got);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) {
                throwIfInterrupted();
                continue;
            }
            throw processingError(name + ": read failed (" + reason() + ")");
        }
        got += static_cast<std::size_t>(n);
    }
    return got;
}

void writeFully(int fd, const void* data, std::size_t size, const std::string& name) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EAGAIN) {
                waitFor(fd, POLLOUT);
                continue;
            }
            if (errno == EINTR) {
                throwIfInterrupted();
                continue;
            }
            throw processingError(name + ": write failed (" + reason() + ")");
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

OutputPlace examineOutput(const std::string& name) {
    OutputPlace place{OutputPlace::Kind::Stream, name};
    if (isStandardStream(name)) return place;
    struct stat st;
    if (::lstat(name.c_str(), &st) != 0) {
        place.kind = OutputPlace::Kind::NewFile;  // or an unreachable place: creating the file will say why
        return place;
    }
    if (S_ISLNK(st.st_mode)) {
        if (::stat(name.c_str(), &st) != 0) throw usageError(name + " is a symbolic link to nothing (" + reason() + ")");
        // A file is replaced where it lies; a stream is opened through the link (/dev/stdout names a pipe
        // that has no path).
        char resolved[PATH_MAX];
        if (S_ISREG(st.st_mode)) {
            if (!::realpath(name.c_str(), resolved)) throw usageError(name + ": " + reason());
            place.path = resolved;
        }
    }
    if (S_ISREG(st.st_mode)) place.kind = OutputPlace::Kind::ExistingFile;
    else if (S_ISDIR(st.st_mode)) throw usageError(name + " is a directory");
    else if (!S_ISFIFO(st.st_mode) && !S_ISCHR(st.st_mode))
        throw usageError(name + " is a block device or a socket; zarpa writes regular files, FIFOs and "
                                "character devices");
    return place;
}

TemporaryFile createTemporaryBeside(const std::string& target, const std::string& name) {
    const std::string dir = directoryOf(target);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        TemporaryFile temp;
        temp.path = dir + "/.zarpa-" + randomSuffix();
        // Exclusive and not through a link: a name planted in the folder is never written through.
        temp.fd = FileDescriptor(::open(temp.path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (temp.fd.valid()) return temp;
        if (errno != EEXIST && errno != ELOOP) break;
    }
    throw processingError(name + ": cannot write there (" + reason() + ")");
}

FileDescriptor createAnonymousFile(const std::string& name) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = tmp && tmp[0] == '/' ? tmp : "/tmp";
    FileDescriptor fd(::open(dir.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600));
    if (fd.valid()) return fd;
    // A file system without unnamed files: a named one, removed at once.
    TemporaryFile temp = createTemporaryBeside(dir + "/x", name + " (temporary copy in " + dir + ")");
    ::unlink(temp.path.c_str());
    return std::move(temp.fd);
}

FileDescriptor openStream(const OutputPlace& place, const std::string& name) {
    if (isStandardStream(place.path)) return FileDescriptor(::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0));
    for (;;) {
        // A FIFO without a reader refuses a non-blocking open (ENXIO): wait for one, interruptibly.
        FileDescriptor fd(::open(place.path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (fd.valid()) return fd;
        if (errno != ENXIO && errno != EINTR) throw processingError(name + ": cannot write there (" + reason() + ")");
        throwIfInterrupted();
        ::usleep(kPollMs * 1000 / 2);
    }
}

void publishTemporary(TemporaryFile& temp, const std::string& target, bool replace, const std::string& name) {
    const int fd = temp.fd.get();
    struct stat old;
    const bool replacing = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    if (replacing) {
        // Owner first: a change of owner clears the set-id bits the mode then restores.
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        ::fchmod(fd, defaultCreationMode());
    }
    if (::fsync(fd) != 0) throw processingError(name + ": write failed (" + reason() + ")");
    if (::close(temp.fd.release()) != 0) throw processingError(name + ": write failed (" + reason() + ")");
    const bool moved = replace ? std::rename(temp.path.c_str(), target.c_str()) == 0
                               : moveWithoutReplacing(temp.path, target);
    if (!moved) {
        if (errno == EEXIST) throw processingError(name + " appeared while zarpa was writing; add --force to replace it");
        throw processingError(name + ": cannot replace (" + reason() + ")");
    }
    syncDirectory(directoryOf(target));
}

void removeTemporary(const std::string& path) { ::unlink(path.c_str()); }

void truncateFile(int fd, const std::string& name) {
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)
        throw processingError(name + ": write failed (" + reason() + ")");
}

FileDescriptor duplicateFromStart(int fd, const std::string& name) {
    FileDescriptor copy(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!copy.valid() || ::lseek(copy.get(), 0, SEEK_SET) != 0) throw processingError(name + ": " + reason());
    return copy;
}

void copyToStream(int from, int to, const std::string& name) {
    if (::lseek(from, 0, SEEK_SET) != 0) throw processingError(name + ": " + reason());
    std::vector<char> buffer(kCopyBlock);
    while (std::size_t n = readFully(from, buffer.data(), buffer.size(), name)) writeFully(to, buffer.data(), n, name);
}

}  // namespace zarpacli
