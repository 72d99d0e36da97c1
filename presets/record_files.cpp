// Preset and bank files: path splitting, reading by full path, replacing writes.
#include "presets/record_files.h"

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace zarpa {

bool isPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

bool splitPath(const char* path, char* fileName, char* directory) {
    if (!path || !fileName || !directory) return false;
    const std::size_t length = std::strlen(path);
    std::size_t cut = length;  // index of the last separator
    for (std::size_t i = length; i-- > 0;) {
        if (isPathSeparator(path[i])) {
            cut = i;
            break;
        }
    }
    if (cut == length) return false;
    const std::size_t directoryLength = cut + 1, fileLength = length - directoryLength;
    if (directoryLength >= kPathTextSize || fileLength >= kPathTextSize) return false;
    std::memcpy(directory, path, directoryLength);
    directory[directoryLength] = 0;
    std::memcpy(fileName, path + directoryLength, fileLength);
    fileName[fileLength] = 0;
    return true;
}

void readRecordFile(const char* path, unsigned char* buffer, std::size_t size) {
    std::memset(buffer, 0, size);
    if (!path || !path[0]) return;
    // Read-only: a write-protected preset must load as well as any other.
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return;
    [[maybe_unused]] const std::size_t got = std::fread(buffer, 1, size, file);  // a short file leaves zeros
    std::fclose(file);
}

bool writeRecordFile(const char* path, const unsigned char* data, std::size_t size) {
    return platform::writeFileReplacing(path, data, size);
}

}  // namespace zarpa
