// CNewFileSelector: the request, the modal run on the frame, and the chosen paths.
#include "toolkit/file_selector.h"

#include <algorithm>

#include "toolkit/frame.h"

CFileExtension::CFileExtension(const char* description, const char* extension)
    : description_(description ? description : ""), extension_(extension ? extension : "") {}

CNewFileSelector* CNewFileSelector::create(CFrame* parent, Style style) {
    return parent ? new CNewFileSelector(parent, style) : nullptr;
}

CNewFileSelector::CNewFileSelector(CFrame* frame, Style style) : frame_(frame) {
    frame_->remember();
    request_.style = style == kSelectSaveFile ? FileDialogRequest::kSave : FileDialogRequest::kOpen;
}

CNewFileSelector::~CNewFileSelector() { frame_->forget(); }

void CNewFileSelector::addFileExtension(const CFileExtension& extension) {
    auto& list = request_.extensions;
    if (std::find(list.begin(), list.end(), extension) == list.end()) list.push_back(extension);
}

void CNewFileSelector::setDefaultExtension(const CFileExtension& extension) {
    auto& list = request_.extensions;
    list.erase(std::remove(list.begin(), list.end(), extension), list.end());
    list.insert(list.begin(), extension);
}

bool CNewFileSelector::runModal() {
    selected_.clear();
    FileDialogBackend* backend = frame_->getFileDialogBackend();
    if (!backend) backend = &platformFileDialogBackend();
    request_.parentWindow = frame_->getSystemWindow();
    CFrame* frame = frame_;
    request_.whileWaiting = [frame] { frame->modalIdle(); };
    request_.abandoned = [frame] { return frame->modalAbandonRequested(); };
    frame->enterModalLoop();
    const bool chosen = backend->run(request_, selected_);
    frame->leaveModalLoop();
    request_.whileWaiting = nullptr;
    request_.abandoned = nullptr;
    if (!chosen) selected_.clear();
    selected_.erase(std::remove(selected_.begin(), selected_.end(), std::string()), selected_.end());
    return !selected_.empty();
}

const char* CNewFileSelector::getSelectedFile(std::int32_t index) const {
    return index >= 0 && index < getNumSelectedFiles() ? selected_[static_cast<std::size_t>(index)].c_str() : nullptr;
}
