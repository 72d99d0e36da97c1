// The user's documents folder in the DLL, as the shell names it.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "platform/platform.h"

namespace platform {

std::string documentsDirectory(std::size_t maxChars) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return {};
    std::string found = fromUtf16(reinterpret_cast<const char16_t*>(path), MAX_PATH);
    if (!found.empty() && found.back() != '\\') found += '\\';
    return found.size() <= maxChars ? found : std::string();
}

}  // namespace platform
