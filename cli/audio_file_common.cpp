// Checks shared by both audio back ends.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cli/audio_file.h"

namespace zarpacli {

std::string unreadableReason(const std::string& path) {
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) return "no such file";
    if (std::filesystem::is_directory(status)) return "is a directory";
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::strerror(errno);
    std::fclose(f);
    return "";
}

}  // namespace zarpacli
