// Safe file access with Win32 calls: CREATE_NEW for temporary files, ReplaceFile to keep a replaced
// file's attributes and security, descriptors of the C runtime on top of the handles.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "cli/cli_error.h"
#include "cli/file_access.h"
#include "cli/interrupt.h"

namespace zarpacli {

namespace {

constexpr int kNameAttempts = 64;
constexpr std::size_t kCopyBlock = 1 << 16;

std::string lastError() {
    const DWORD code = GetLastError();
    char text[256] = {};
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                       nullptr) == 0)
        return "error " + std::to_string(code);
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == '.')) s.pop_back();
    return s;
}

std::string randomSuffix() {
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::string s;
    for (int i = 0; i < 10; ++i) s += kAlphabet[device() % 36];
    return s;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
    return path.substr(0, slash + 1);  // with its separator, so that "C:\" and "\" stay roots
}

FileDescriptor descriptorOf(HANDLE handle, const std::string& name) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        throw processingError(name + ": cannot open");
    }
    return FileDescriptor(fd);
}

bool isDisk(int fd) { return GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) == FILE_TYPE_DISK; }

FileDescriptor spool(int from, const std::string& name, std::size_t limit) {
    FileDescriptor copy = createAnonymousFile(name);
    std::vector<char> buffer(kCopyBlock);
    for (std::size_t total = 0; limit == 0 || total <= limit;) {
        throwIfInterrupted();
        const int n = _read(from, buffer.data(), static_cast<unsigned>(buffer.size()));
        if (n == 0) break;
        if (n < 0) throw processingError(name + ": read failed (" + std::strerror(errno) + ")");
        writeFully(copy.get(), buffer.data(), static_cast<std::size_t>(n), name);
        total += static_cast<std::size_t>(n);
    }
    if (_lseeki64(copy.get(), 0, SEEK_SET) != 0) throw processingError(name + ": " + std::strerror(errno));
    return copy;
}

TemporaryFile createExclusive(const std::string& dir, DWORD attributes, const std::string& name) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        TemporaryFile temp;
        temp.path = dir + (dir.empty() || dir.back() == '\\' || dir.back() == '/' || dir.back() == ':' ? "" : "\\") +
                    ".zarpa-" + randomSuffix();
        HANDLE h = CreateFileA(temp.path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                               attributes, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            temp.fd = descriptorOf(h, name);
            return temp;
        }
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) break;
    }
    throw processingError(name + ": cannot write there (" + lastError() + ")");
}

}  // namespace

void FileDescriptor::reset() {
    if (fd_ >= 0) _close(fd_);
    fd_ = -1;
}

FileDescriptor openInputFile(const std::string& name, std::size_t spoolLimit) {
    if (isStandardStream(name)) {
        _setmode(0, _O_BINARY);
        return spool(0, "standard input", spoolLimit);
    }
    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) throw processingError(name + ": no such file");
        throw processingError(name + ": " + lastError());
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw processingError(name + ": is a directory");
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw processingError(name + ": " + lastError());
    FileDescriptor fd = descriptorOf(h, name);
    return isDisk(fd.get()) ? std::move(fd) : spool(fd.get(), name, spoolLimit);
}

std::size_t readFully(int fd, void* data, std::size_t size, const std::string& name) {
    auto* p = static_cast<char*>(data);
    std::size_t got = 0;
    while (got < size) {
        throwIfInterrupted();
        const int n = _read(fd, p + got, static_cast<unsigned>(std::min<std::size_t>(size - got, 1u << 30)));
        if (n == 0) break;
        if (n < 0) throw processingError(name + ": read failed (" + std::strerror(errno) + ")");
        got += static_cast<std::size_t>(n);
    }
    return got;
}

void writeFully(int fd, const void* data, std::size_t size, const std::string& name) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        throwIfInterrupted();
        const int n = _write(fd, p, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
        if (n <= 0) throw processingError(name + ": write failed (" + std::strerror(errno) + ")");
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

OutputPlace examineOutput(const std::string& name) {
    OutputPlace place{OutputPlace::Kind::Stream, name};
    if (isStandardStream(name)) return place;
    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // A device name (NUL, CON) has no attributes on some systems: look at what opening it gives.
        HANDLE h = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            const bool disk = GetFileType(h) == FILE_TYPE_DISK;
            CloseHandle(h);
            if (!disk) return place;
        }
        place.kind = OutputPlace::Kind::NewFile;
        return place;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw usageError(name + " is a directory");
    place.kind = OutputPlace::Kind::ExistingFile;
    return place;
}

TemporaryFile createTemporaryBeside(const std::string& target, const std::string& name) {
    return createExclusive(directoryOf(target), FILE_ATTRIBUTE_NORMAL, name);
}

FileDescriptor createAnonymousFile(const std::string& name) {
    char dir[MAX_PATH + 1] = {};
    if (GetTempPathA(sizeof dir, dir) == 0) throw processingError(name + ": no temporary folder (" + lastError() + ")");
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string path = std::string(dir) + ".zarpa-" + randomSuffix();
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) return descriptorOf(h, name);
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw processingError(name + ": cannot make a temporary copy (" + lastError() + ")");
}

FileDescriptor openStream(const OutputPlace& place, const std::string& name) {
    if (isStandardStream(place.path)) {
        std::fflush(stdout);
        _setmode(1, _O_BINARY);
        return FileDescriptor(_dup(1));
    }
    HANDLE h = CreateFileA(place.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw processingError(name + ": cannot write there (" + lastError() + ")");
    return descriptorOf(h, name);
}

void publishTemporary(TemporaryFile& temp, const std::string& target, bool replace, const std::string& name) {
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(temp.fd.get()));
    if (!FlushFileBuffers(h)) throw processingError(name + ": write failed (" + lastError() + ")");
    if (_close(temp.fd.release()) != 0) throw processingError(name + ": write failed");
    const bool exists = GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (exists && !replace) throw processingError(name + " appeared while zarpa was writing; add --force to replace it");
    // ReplaceFile keeps the replaced file's attributes and security descriptor.
    if (exists && ReplaceFileA(target.c_str(), temp.path.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                               nullptr))
        return;
    if (!MoveFileExA(temp.path.c_str(), target.c_str(), (replace ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_WRITE_THROUGH))
        throw processingError(name + ": cannot replace (" + lastError() + ")");
}

void removeTemporary(const std::string& path) { DeleteFileA(path.c_str()); }

void truncateFile(int fd, const std::string& name) {
    if (_chsize_s(fd, 0) != 0 || _lseeki64(fd, 0, SEEK_SET) != 0)
        throw processingError(name + ": write failed (" + std::strerror(errno) + ")");
}

FileDescriptor duplicateFromStart(int fd, const std::string& name) {
    FileDescriptor copy(_dup(fd));
    if (!copy.valid() || _lseeki64(copy.get(), 0, SEEK_SET) != 0) throw processingError(name + ": " + std::strerror(errno));
    return copy;
}

void copyToStream(int from, int to, const std::string& name) {
    if (_lseeki64(from, 0, SEEK_SET) != 0) throw processingError(name + ": " + std::strerror(errno));
    std::vector<char> buffer(kCopyBlock);
    while (std::size_t n = readFully(from, buffer.data(), buffer.size(), name)) writeFully(to, buffer.data(), n, name);
}

}  // namespace zarpacli
