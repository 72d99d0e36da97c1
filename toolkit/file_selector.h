// CNewFileSelector: the dialog in which the user picks a file to open or a file name to save to.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/base_object.h"

class CFrame;

// A file type: a description ("OKA Preset") and an extension without the dot ("oka").
class CFileExtension {
public:
    CFileExtension(const char* description, const char* extension);
    const std::string& getDescription() const { return description_; }
    const std::string& getExtension() const { return extension_; }
    bool operator==(const CFileExtension&) const = default;

private:
    std::string description_;
    std::string extension_;
};

// What a dialog is asked to show.
struct FileDialogRequest {
    enum Style { kOpen, kSave };
    Style style = kOpen;
    std::string title;
    std::string initialDirectory;
    std::string defaultSaveName;
    std::vector<CFileExtension> extensions;  // the first is the default type
    bool allowMultiple = false;
    void* parentWindow = nullptr;  // the frame's native window, when there is one
};

// A dialog on the screen. Asked from the user-interface thread whether it has ended; never waits.
// Destroying a session whose dialog is still up ends the dialog unanswered (the window is closing).
class FileDialogSession {
public:
    virtual ~FileDialogSession() = default;
    // True once the dialog has ended; then chosen holds the paths the user chose (none: cancelled).
    virtual bool finished(std::vector<std::string>& chosen) = 0;
};

// Shows dialogs. The platform's own: in the DLL the system's dialog, modal, shown inside start; on
// Linux the desktop's helper program (zenity or kdialog) run beside the host, and no dialog when none is
// installed. Tests put a scripted one on the frame (CFrame::setFileDialogBackend).
class FileDialogBackend {
public:
    virtual ~FileDialogBackend() = default;
    // Puts the dialog up; nullptr when none can be shown.
    virtual std::unique_ptr<FileDialogSession> start(const FileDialogRequest& request) = 0;
    // True for a dialog that runs its own message loop inside start: the editor's user-interface lock
    // is let go meanwhile, so that the host's other threads never wait for the user.
    virtual bool isModal() const { return false; }
};
FileDialogBackend& platformFileDialogBackend();
// A session whose dialog has already ended with this answer (a modal dialog's, a scripted one's).
std::unique_ptr<FileDialogSession> answeredSession(std::vector<std::string> chosen);

// Made for a frame, set up, then run: the dialog goes up and run returns at once (or, with the system's
// modal dialog, once the user has answered). The answer arrives at a later idle of the frame, on the
// user-interface thread and in the editor's turn, through the callback; never after the frame closed.
// One dialog per frame at a time. Nothing holds a lock while the user decides.
class CNewFileSelector : public CBaseObject {
public:
    enum Style { kSelectFile, kSelectSaveFile };

    // nullptr without a frame.
    static CNewFileSelector* create(CFrame* parent, Style style = kSelectFile);
    ~CNewFileSelector() override;

    void setTitle(const char* title) { request_.title = title ? title : ""; }
    void setInitialDirectory(const char* directory) { request_.initialDirectory = directory ? directory : ""; }
    void setDefaultSaveName(const char* name) { request_.defaultSaveName = name ? name : ""; }
    void addFileExtension(const CFileExtension& extension);
    // Adds the type when missing and makes it the first.
    void setDefaultExtension(const CFileExtension& extension);
    void setAllowMultiFileSelection(bool state) { request_.allowMultiple = state; }

    // Puts the dialog up. False when none could be shown (no helper program, the frame closed, or
    // another dialog of the frame still open); the callback then never runs. The selector keeps itself
    // alive until the answer has been delivered or the frame closed.
    using Callback = std::function<void(CNewFileSelector* selector)>;
    bool run(Callback callback);
    std::int32_t getNumSelectedFiles() const { return static_cast<std::int32_t>(selected_.size()); }
    const char* getSelectedFile(std::int32_t index) const;

    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CNewFileSelector") == 0 || CBaseObject::isTypeOf(type);
    }

private:
    friend class CFrame;
    CNewFileSelector(CFrame* frame, Style style);
    // The frame's idle asks whether the dialog has ended (the answer is then kept) and, once the frame
    // no longer counts the dialog as open, delivers the answer to the callback.
    bool answered();
    void deliver();
    // The frame closes: the dialog goes down unanswered.
    void abandon();

    CFrame* frame_;
    FileDialogRequest request_;
    std::unique_ptr<FileDialogSession> session_;
    Callback callback_;
    std::vector<std::string> selected_;
};
