// Temporary files, the final rename, output path checks and the interrupt flag.
#include "cli/pending_output.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "cli/cli_error.h"

namespace zarpacli {

namespace fs = std::filesystem;

std::atomic<bool> interruptRequested{false};

namespace {

int processId() {
#if defined(_WIN32)
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

void onInterrupt(int signal) {
    interruptRequested.store(true, std::memory_order_relaxed);
    std::signal(signal, SIG_DFL);  // a second interrupt ends the process at once
}

// rename() that replaces an existing target on every platform.
bool replaceFile(const std::string& from, const std::string& to, std::string& why) {
#if defined(_WIN32)
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    why = "error " + std::to_string(GetLastError());
    return false;
#else
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    why = std::strerror(errno);
    return false;
#endif
}

}  // namespace

PendingOutput::PendingOutput(const std::string& target) : target_(target) {
    fs::path t(target);
    fs::path dir = t.parent_path();
    std::string name = ".";
    name += t.filename().string();
    static int serial = 0;  // two outputs of one run never share a temporary file
    name += ".zarpa-" + std::to_string(processId()) + "-" + std::to_string(++serial) + ".part";
    temp_ = (dir / name).string();
    // Creating the file now tells at once whether the place is writable.
    std::FILE* f = std::fopen(temp_.c_str(), "wb");
    if (!f) throw processingError(target + ": cannot write there (" + std::strerror(errno) + ")");
    std::fclose(f);
}

PendingOutput::~PendingOutput() {
    if (!committed_) std::remove(temp_.c_str());
}

void PendingOutput::commit() {
    std::string why;
    if (!replaceFile(temp_, target_, why)) throw processingError(target_ + ": cannot replace (" + why + ")");
    committed_ = true;
}

bool samePath(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;  // also hard links and other spellings of an existing file
    auto normal = [](const std::string& p) {
        std::error_code e;
        fs::path full = fs::absolute(p, e);
        if (e) return fs::path(p).lexically_normal();
        fs::path canonical = fs::weakly_canonical(full, e);
        return e ? full.lexically_normal() : canonical;
    };
    return normal(a) == normal(b);
}

void checkOutputPath(const std::string& output, bool force, const std::vector<std::string>& inputs) {
    std::error_code ec;
    for (const auto& input : inputs)
        if (!input.empty() && samePath(output, input))
            throw usageError(output + " is also an input; zarpa never overwrites its input");
    if (!fs::exists(output, ec)) return;
    if (fs::is_directory(output, ec)) throw usageError(output + " is a directory");
    if (!force) throw usageError(output + " exists; add --force to replace it");
}

void PendingOutput::writeAll(const std::vector<unsigned char>& bytes) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(temp_.c_str(), "wb"), std::fclose);
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size())
        throw processingError(target_ + ": write failed (" + std::strerror(errno) + ")");
    if (std::fclose(f.release()) != 0) throw processingError(target_ + ": write failed (" + std::strerror(errno) + ")");
}

void writeFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes) {
    PendingOutput out(path);
    out.writeAll(bytes);
    out.commit();
}

void installInterruptHandler() {
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
}

}  // namespace zarpacli
