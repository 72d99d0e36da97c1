// The user's documents folder on Linux: the desktop's XDG_DOCUMENTS_DIR (user-dirs.dirs, which names it in
// the user's language), else ~/Documents, else the home folder itself.
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/platform.h"

namespace platform {

namespace {

bool isDirectory(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The value of XDG_DOCUMENTS_DIR in user-dirs.dirs, lines like XDG_DOCUMENTS_DIR="$HOME/Dokumente".
std::string userDirsDocuments(const std::string& home) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string file = (config && config[0] ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
    std::ifstream in(file);
    const std::string key = "XDG_DOCUMENTS_DIR=\"";
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, key.size(), key) != 0) continue;
        std::string value = line.substr(key.size());
        const std::size_t end = value.rfind('"');
        if (end == std::string::npos) return {};
        value.resize(end);
        if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
        return value;
    }
    return {};
}

}  // namespace

std::string documentsDirectory(std::size_t maxChars) {
    const char* homeVariable = std::getenv("HOME");
    const std::string home = homeVariable ? homeVariable : "";
    if (home.empty()) return {};
    std::string found;
    for (const std::string& candidate : {userDirsDocuments(home), home + "/Documents", home}) {
        if (isDirectory(candidate)) {
            found = candidate;
            break;
        }
    }
    if (!found.empty() && found.back() != '/') found += '/';
    return found.size() <= maxChars ? found : std::string();
}

}  // namespace platform
