// Temporary files, the final move and output path checks.
#include "cli/pending_output.h"

#include <filesystem>

#include "cli/cli_error.h"
#include "cli/interrupt.h"

namespace zarpacli {

namespace fs = std::filesystem;

PendingOutput::PendingOutput(const std::string& target, bool replace)
    : target_(target), replace_(replace), place_(examineOutput(target)),
      file_(place_.kind == OutputPlace::Kind::Stream ? gathered_ : temp_.fd) {
    if (place_.kind == OutputPlace::Kind::ExistingFile && !replace)
        throw usageError(target + " exists; add --force to replace it");
    if (isStream()) {
        stream_ = openStream(place_, target);
        gathered_ = createAnonymousFile(target);
        return;
    }
    temp_ = createTemporaryBeside(place_.path, target);
    slot_ = registerTemporary(temp_.path);
}

PendingOutput::~PendingOutput() {
    if (!committed_ && !temp_.path.empty()) removeTemporary(temp_.path);
    unregisterTemporary(slot_);
}

void PendingOutput::writeAll(const std::vector<unsigned char>& bytes) {
    writeFully(fd(), bytes.data(), bytes.size(), target_);
}

void PendingOutput::commit() {
    throwIfInterrupted();
    if (isStream()) copyToStream(gathered_.get(), stream_.get(), target_);
    else publishTemporary(temp_, place_.path, replace_, target_);
    committed_ = true;
}

bool samePath(const std::string& a, const std::string& b) {
    if (isStandardStream(a) || isStandardStream(b)) return false;  // stdin and stdout are different streams
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
    for (const auto& input : inputs)
        if (!input.empty() && samePath(output, input))
            throw usageError(output + " is also an input; zarpa never overwrites its input");
    if (examineOutput(output).kind == OutputPlace::Kind::ExistingFile && !force)
        throw usageError(output + " exists; add --force to replace it");
}

void writeFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes, bool replace) {
    PendingOutput out(path, replace);
    out.writeAll(bytes);
    out.commit();
}

}  // namespace zarpacli
