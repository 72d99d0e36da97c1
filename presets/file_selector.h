// The choice of a preset or bank file, behind a small interface: the editor hands in its file dialog while
// its window is open; tests hand in the chosen path.
#pragma once

#include <string>
#include <vector>

namespace zarpa {

enum class FileDialogStyle { Open, Save };

struct FileDialogRequest {
    FileDialogStyle style;
    const char* title;             // "Load preset", "Save bank", ...
    const char* initialDirectory;  // may be empty
    const char* defaultFileName;   // save dialogs: the remembered file name, may be empty; open dialogs: ""
    const char* typeDescription;   // "OKA Preset" or "OKA Bank"
    const char* extension;         // "oka" or "okb", without the dot
};

// Threading: called on the editor's user-interface thread; the dialog runs modally inside choose.
class FileSelector {
public:
    virtual ~FileSelector() = default;
    // The full paths the user chose; empty when the dialog was cancelled or could not be shown. The preset
    // system acts only on a choice of exactly one file.
    virtual std::vector<std::string> choose(const FileDialogRequest& request) = 0;
};

}  // namespace zarpa
