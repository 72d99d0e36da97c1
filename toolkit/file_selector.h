// CNewFileSelector: the modal dialog in which the user picks a file to open or a file name to save to.
#pragma once

#include <cstdint>
#include <functional>
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
    void* parentWindow = nullptr;       // the frame's native window, when there is one
    std::function<void()> whileWaiting;  // called every 50 ms or so while the dialog is up
    // Asked as often: true when the dialog should close unanswered (the window is being closed).
    std::function<bool()> abandoned;
};

// Shows a dialog and waits for it. The platform's own: the native dialog in the DLL; on Linux the
// desktop's helper program (zenity or kdialog) when one is installed, and no dialog (false) otherwise.
// Tests put a scripted one on the frame (CFrame::setFileDialogBackend).
class FileDialogBackend {
public:
    virtual ~FileDialogBackend() = default;
    // True when the user chose; the chosen paths are in selected.
    virtual bool run(const FileDialogRequest& request, std::vector<std::string>& selected) = 0;
};
FileDialogBackend& platformFileDialogBackend();

// Made for a frame, set up, run modally on the user-interface thread, then released with forget().
// While it runs the frame drops user input and keeps painting, and the host gets idle time. Nothing
// holds a lock meanwhile, so the audio thread never waits for the user.
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

    // Shows the dialog; true when the user chose at least one file (no helper program: false).
    bool runModal();
    std::int32_t getNumSelectedFiles() const { return static_cast<std::int32_t>(selected_.size()); }
    const char* getSelectedFile(std::int32_t index) const;

    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CNewFileSelector") == 0 || CBaseObject::isTypeOf(type);
    }

private:
    CNewFileSelector(CFrame* frame, Style style);

    CFrame* frame_;
    FileDialogRequest request_;
    std::vector<std::string> selected_;
};
