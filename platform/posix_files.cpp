// Whole-file replacement on POSIX: temporary file in the target's directory, fsync, rename, fsync of the directory.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace platform {

namespace {

bool writeAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The rename is only durable once the directory entry itself has reached the disk.
void syncDirectory(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool writeFileReplacing(const char* path, const void* data, std::size_t size) {
    if (!path || !path[0] || (!data && size)) return false;
    const std::string target(path);
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.empty()) return false;

    // Hidden, unique per process and call; the ".tmp-" prefix also keeps it out of the settings store's names.
    static std::atomic<unsigned> counter{0};
    const std::string temp = dir + "/.tmp-" + base + '.' + std::to_string(getpid()) + '.' +
                             std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;

    // A replaced file keeps its permissions; a new one gets the user's umask.
    struct stat old;
    bool ok = true;
    if (::stat(target.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) ok = false;  // never rename a file over a directory or a device
        else ::fchmod(fd, old.st_mode & 07777);
    }
    ok = ok && writeAll(fd, data, size) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(temp.c_str(), target.c_str()) == 0) {
        syncDirectory(dir);
        return true;
    }
    ::unlink(temp.c_str());
    return false;
}

}  // namespace platform
