// Whole-file replacement on Windows: temporary file beside the target, flushed, then moved over it.
#include <windows.h>

#include <atomic>
#include <string>

#include "platform/platform.h"

namespace platform {

bool writeFileReplacing(const char* path, const void* data, std::size_t size) {
    if (!path || !path[0] || (!data && size) || size > MAXDWORD) return false;
    const std::string target(path);
    const char last = target.back();
    if (last == '\\' || last == '/' || last == ':') return false;

    static std::atomic<unsigned> counter{0};
    const std::string temp = target + ".tmp-" + std::to_string(GetCurrentProcessId()) + '.' +
                             std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = (size == 0 || (WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size)) &&
              FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    if (ok && MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temp.c_str());
    return false;
}

}  // namespace platform
