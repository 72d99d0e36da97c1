// The preset bar's part of the editor object: building it with the window, its idle timer, and the
// actions of its controls.
#include <cstring>
#include <string>

#include "editor/preset_bar/preset_bar.h"
#include "editor/preset_bar/preset_bar_controls.h"
#include "editor/preset_bar/preset_system_editor.h"
#include "presets/preset_records.h"
#include "toolkit/frame.h"
#include "toolkit/option_menu.h"
#include "toolkit/text_edit.h"

namespace zarpa {

namespace {

constexpr std::uint32_t kPresetBarIdleMs = 50;

}  // namespace

bool CPresetSystemEditor::open(void*) {
    UiTurn turn(*this, UiTurn::kWait);
    CPresetSystemEffect* fx = presetEffect();
    if (!frame || !fx) return false;
    if (bar_) close();  // opened again over a bar that was never closed

    // No other thread may reach the bar while it is being built.
    disableViewUpdates();
    const ProgramRecord* programs = fx->programs();
    bar_ = std::make_unique<PresetBar>(*frame, this, programs, programs ? fx->getCurrentProgramIndex() : 0);
    frameDialogs_ = std::make_unique<FrameFileSelector>(*frame);
    setPresetBarView(bar_.get());
    setFileSelector(frameDialogs_.get());
    enableViewUpdates();

    // In addition to the host's idle calls; the editor's idle does its work at most once per 40 ms.
    idleTimer_ = frame->startTimer(kPresetBarIdleMs, [this] { idle(); });
    return true;
}

void CPresetSystemEditor::close() {
    UiTurn turn(*this, UiTurn::kWait);
    disableViewUpdates();
    if (frame && idleTimer_) frame->stopTimer(idleTimer_);
    idleTimer_ = 0;
    setPresetBarView(nullptr);
    setFileSelector(nullptr);
    bar_.reset();
    frameDialogs_.reset();
}

void CPresetSystemEditor::idle() {
    UiTurn turn(*this, UiTurn::kTry);
    if (!turn || !frame) return;
    CPresetSystemEffect* fx = presetEffect();
    if (bar_ && fx && fx->programs()) bar_->showPrograms(fx->programs(), fx->getCurrentProgramIndex());
    AEffGUIEditor::idle();
}

void CPresetSystemEditor::valueChanged(CControl* control) {
    CPresetSystemEffect* fx = presetEffect();
    if (!control || !fx) return;
    const float value = control->getValue();
    CTextEdit* nameField = bar_ ? bar_->nameField() : nullptr;
    COptionMenu* menu = bar_ ? bar_->programMenu() : nullptr;

    switch (control->getTag()) {
        case kNameFieldTag: {
            if (!nameField) return;
            char name[kProgramNameSize + 1] = {};
            const std::string typed = nameField->getText();
            std::strncpy(name, typed.c_str(), kProgramNameSize);
            nameField->setText(name);
            if (menu) bar_->setMenuEntryTitle(menu->getCurrentIndex(), name);
            fx->setCurrentProgramName(name);
            break;
        }
        case kRockerTag: {
            int c = fx->getCurrentProgramIndex();
            if (value > 0.0f)
                c = c + 1 > kNumPrograms - 1 ? kNumPrograms - 1 : c + 1;
            else if (value < 0.0f)
                c = c - 1 < 0 ? 0 : c - 1;
            else
                break;
            if (!fx->programs()) break;
            const ProgramName name = programName(fx->programs()[c]);
            if (menu) menu->setCurrent(c);
            if (nameField) nameField->setText(name.text);
            fx->selectProgram(c);
            fx->setCurrentProgramName(name.text);
            break;
        }
        case kProgramMenuTag: {
            if (!menu) break;
            int c = static_cast<int>(value + 0.5f);
            if (c < 0 || c >= kNumPrograms || !menu->getEntry(c)) break;
            const std::string title = menu->getEntry(c)->getTitle();
            char name[kProgramNameSize + 1] = {};
            std::strncpy(name, title.c_str(), kProgramNameSize);
            menu->setCurrent(c);
            fx->selectProgram(c);
            fx->setCurrentProgramName(name);
            if (nameField) nameField->setText(name);
            break;
        }
        case kLoadBankTag: loadBankFile(value == bar_click::kReversedLoad); break;
        case kSaveBankTag: saveBankFile(); break;
        case kLoadPresetTag: loadPresetFile(value == bar_click::kReversedLoad); break;
        case kSavePresetTag: savePresetFile(); break;
        case kDefaultBankTag:
            if (value < bar_click::kStoreDefaultAtLeast)
                clearDefaultBank();
            else
                storeDefaultBank();
            break;
        case kDefaultPresetTag:
            if (value < bar_click::kStoreDefaultAtLeast)
                clearDefaultPreset();
            else
                storeDefaultPreset();
            break;
        case kMemoAStoreTag: storeMemo(Memo::A); break;
        case kMemoBStoreTag: storeMemo(Memo::B); break;
        case kMemoARecallTag: recallMemo(Memo::A); break;
        case kMemoBRecallTag: recallMemo(Memo::B); break;
        default: break;
    }
}

}  // namespace zarpa
