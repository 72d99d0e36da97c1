// File dialogs in the DLL: the system's open and save dialogs.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "toolkit/file_selector.h"

namespace {

std::wstring wide(const std::string& text) {
    const std::u16string u = platform::toUtf16(text.c_str());
    return std::wstring(u.begin(), u.end());
}

// "OKA Preset (*.oka)\0*.oka\0...\0\0"
std::wstring filterOf(const std::vector<CFileExtension>& extensions) {
    std::wstring filter;
    for (const CFileExtension& e : extensions) {
        filter += wide(e.getDescription() + " (*." + e.getExtension() + ")");
        filter.push_back(L'\0');
        filter += wide("*." + e.getExtension());
        filter.push_back(L'\0');
    }
    filter.push_back(L'\0');
    return filter;
}

// Modal: the dialog runs its own message loop inside start, with the editor's user-interface lock let
// go (CNewFileSelector), and the answer is handed on at the frame's next idle like any other.
class SystemDialog : public FileDialogBackend {
public:
    bool isModal() const override { return true; }
    std::unique_ptr<FileDialogSession> start(const FileDialogRequest& request) override {
        std::vector<std::string> chosen;
        if (!show(request, chosen)) chosen.clear();
        return answeredSession(std::move(chosen));
    }

private:
    static bool show(const FileDialogRequest& request, std::vector<std::string>& selected) {
        constexpr DWORD kPathChars = 32768;  // the longest path the system accepts
        std::vector<wchar_t> path(kPathChars, L'\0');
        if (request.style == FileDialogRequest::kSave) {
            const std::wstring name = wide(request.defaultSaveName);
            name.copy(path.data(), std::min<std::size_t>(name.size(), kPathChars - 1));
        }
        const std::wstring filter = filterOf(request.extensions);
        const std::wstring title = wide(request.title);
        const std::wstring directory = wide(request.initialDirectory);
        const std::wstring extension =
            request.extensions.empty() ? std::wstring() : wide(request.extensions.front().getExtension());
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = static_cast<HWND>(request.parentWindow);
        ofn.lpstrFilter = request.extensions.empty() ? nullptr : filter.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = path.data();
        ofn.nMaxFile = kPathChars;
        ofn.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
        ofn.lpstrTitle = title.c_str();
        ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
        ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
        BOOL chosen = FALSE;
        if (request.style == FileDialogRequest::kSave) {
            ofn.Flags |= OFN_OVERWRITEPROMPT;
            chosen = GetSaveFileNameW(&ofn);
        } else {
            ofn.Flags |= OFN_FILEMUSTEXIST;
            chosen = GetOpenFileNameW(&ofn);
        }
        if (!chosen) return false;
        selected.push_back(platform::fromUtf16(reinterpret_cast<const char16_t*>(path.data()), kPathChars));
        return !selected.back().empty();
    }
};

}  // namespace

FileDialogBackend& platformFileDialogBackend() {
    static SystemDialog dialog;  // stateless
    return dialog;
}
