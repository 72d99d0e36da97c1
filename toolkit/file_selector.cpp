// CNewFileSelector: the request, the dialog put up beside the window, and the answer delivered at idle.
#include "toolkit/file_selector.h"

#include <algorithm>

#include "toolkit/frame.h"

CFileExtension::CFileExtension(const char* description, const char* extension)
    : description_(description ? description : ""), extension_(extension ? extension : "") {}

namespace {

class AnsweredSession : public FileDialogSession {
public:
    explicit AnsweredSession(std::vector<std::string> chosen) : chosen_(std::move(chosen)) {}
    bool finished(std::vector<std::string>& chosen) override {
        chosen = chosen_;
        return true;
    }

private:
    std::vector<std::string> chosen_;
};

}  // namespace

std::unique_ptr<FileDialogSession> answeredSession(std::vector<std::string> chosen) {
    return std::make_unique<AnsweredSession>(std::move(chosen));
}

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

// The frame is reserved for this dialog before it goes up, so that a click arriving while a modal
// dialog runs its own message loop cannot put up a second one.
bool CNewFileSelector::run(Callback callback) {
    selected_.clear();
    if (!callback || session_ || !frame_->reserveFileDialog(this)) return false;
    FileDialogBackend* backend = frame_->getFileDialogBackend();
    if (!backend) backend = &platformFileDialogBackend();
    request_.parentWindow = frame_->getSystemWindow();
    std::unique_ptr<FileDialogSession> session;
    if (backend->isModal()) {
        platform::UiLock::Released released(frame_->getUiLock().get());
        session = backend->start(request_);
    } else {
        session = backend->start(request_);
    }
    // The host may have closed the window while a modal dialog was up: then nobody waits for the answer.
    if (!session || !frame_->hasFileDialog(this)) {
        frame_->releaseFileDialog(this);
        return false;
    }
    session_ = std::move(session);
    callback_ = std::move(callback);
    remember();  // until the answer is delivered or the frame closes
    return true;
}

bool CNewFileSelector::answered() {
    std::vector<std::string> chosen;
    if (!session_ || !session_->finished(chosen)) return false;
    session_.reset();
    chosen.erase(std::remove(chosen.begin(), chosen.end(), std::string()), chosen.end());
    selected_ = std::move(chosen);
    return true;
}

void CNewFileSelector::deliver() {
    Callback callback = std::move(callback_);
    callback_ = nullptr;
    if (callback) callback(this);
    forget();  // the reference run took
}

void CNewFileSelector::abandon() {
    if (!session_) return;  // a modal dialog still up: run sees the frame closed when it returns
    session_.reset();
    callback_ = nullptr;
    forget();
}

const char* CNewFileSelector::getSelectedFile(std::int32_t index) const {
    return index >= 0 && index < getNumSelectedFiles() ? selected_[static_cast<std::size_t>(index)].c_str() : nullptr;
}
