// The per-user settings store on Linux: the registry's key path as directories under the XDG config
// directory, one file per value holding the value's bytes. Every write goes to a temporary file in the same
// directory that is then renamed over the value, so a reader sees the old or the new value, never a mix.
// Whatever sits in the store is untrusted: only regular files of at most the caller's size are read.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/platform.h"

namespace platform {

namespace {

// Where the store lives: `base` is a folder of the user's that must already exist (the store never
// creates it: a missing home is not ours to make); the store's own folders below it may be created.
struct StoreBase {
    std::string base;
    std::string root;  // base itself, or the config folder in it
};

StoreBase storeBase() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return {xdg, xdg};  // the XDG rule: a relative value is ignored
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return {};  // a relative home would move the store with the working directory
    return {home, std::string(home) + "/.config"};
}

// "SOFTWARE\\OKA-tonelab\\OKAzarpa" -> "<root>/SOFTWARE/OKA-tonelab/OKAzarpa"; empty when the path is unsafe.
std::string keyDirectory(const StoreBase& base, const char* path) {
    if (base.root.empty() || !path || !path[0]) return {};
    std::string dir = base.root;
    std::string part;
    for (const char* p = path;; ++p) {
        if (*p == '\\' || *p == 0) {
            if (part.empty() || part == "." || part == "..") return {};
            dir += '/';
            dir += part;
            part.clear();
            if (*p == 0) break;
        } else if (*p == '/') {
            return {};
        } else {
            part += *p;
        }
    }
    return dir;
}

bool validValueName(const char* name) {
    if (!name || !name[0]) return false;
    std::string n(name);
    return n != "." && n != ".." && n.find('/') == std::string::npos && n.find('\\') == std::string::npos &&
           n.rfind(".tmp-", 0) != 0;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates the folders of `path` below `base`, which must exist.
bool makeDirectories(const std::string& base, const std::string& path) {
    if (!isDirectory(base) || path.compare(0, base.size(), base) != 0) return false;
    for (std::size_t pos = base.size() + 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '/') {
            std::string prefix = path.substr(0, pos);
            if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
        }
    }
    return isDirectory(path);
}

class FileKey final : public SettingsKey {
public:
    explicit FileKey(std::string dir) : dir_(std::move(dir)) {}

    long readValue(const char* name, void* buf, std::size_t maxBytes) override {
        if (!validValueName(name) || !buf) return -1;
        // O_NONBLOCK: a FIFO planted under a value's name must not hang the host; it is refused below.
        int fd = ::open((dir_ + '/' + name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return -1;
        struct stat st;
        long result = -1;
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) <= maxBytes) {
            auto* p = static_cast<unsigned char*>(buf);
            std::size_t got = 0, want = static_cast<std::size_t>(st.st_size);
            while (got < want) {
                ssize_t n = ::read(fd, p + got, want - got);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                got += static_cast<std::size_t>(n);
            }
            if (got == want) result = static_cast<long>(got);
        }
        ::close(fd);
        return result;
    }

    bool writeValue(const char* name, ValueType, const void* data, std::size_t size) override {
        if (!validValueName(name) || (!data && size)) return false;
        return writeFileReplacing((dir_ + '/' + name).c_str(), data, size);
    }

    bool deleteValue(const char* name) override {
        if (!validValueName(name)) return false;
        return ::unlink((dir_ + '/' + name).c_str()) == 0 || errno == ENOENT;
    }

private:
    std::string dir_;
};

}  // namespace

std::unique_ptr<SettingsKey> openSettingsKey(const char* path) {
    std::string dir = keyDirectory(storeBase(), path);
    if (dir.empty() || !isDirectory(dir)) return nullptr;
    return std::make_unique<FileKey>(dir);
}

std::unique_ptr<SettingsKey> createSettingsKey(const char* path) {
    const StoreBase base = storeBase();
    std::string dir = keyDirectory(base, path);
    if (dir.empty() || !makeDirectories(base.base, dir)) return nullptr;
    return std::make_unique<FileKey>(dir);
}

}  // namespace platform
