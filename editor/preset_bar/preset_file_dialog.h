// The choice of a preset or bank file, behind a small interface: the editor hands in its file dialog while
// its window is open; tests hand in the chosen path.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zarpa {

enum class FileDialogStyle { Open, Save };

struct FileDialogRequest {
    FileDialogStyle style;
    const char* title;             // "Load preset", "Save bank", ...
    const char* initialDirectory;  // may be empty
    const char* defaultFileName;   // save dialogs: the name offered, may be empty; open dialogs: ""
    const char* typeDescription;   // "OKA Preset" or "OKA Bank"
    const char* extension;         // "oka" or "okb", without the dot
};

// Threading: called on the editor's user-interface thread. The dialog goes up and choose returns without
// waiting for the user; the answer comes later, on the user-interface thread in the editor's turn.
class FileSelector {
public:
    virtual ~FileSelector() = default;
    // The full paths the user chose; empty when the dialog was cancelled. The preset system acts only on
    // a choice of exactly one file.
    using Answer = std::function<void(std::vector<std::string> chosen)>;
    // False when no dialog could be shown (or one is still open); answer then never runs. An answer not
    // yet delivered when the window closes is dropped.
    virtual bool choose(const FileDialogRequest& request, Answer answer) = 0;
};

}  // namespace zarpa
