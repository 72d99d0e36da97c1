// The preset bar of the editor window: its 13 controls built from one table, and the view of the program
// store (menu entries, current entry, name field) that the record operations and the idle pass update.
#pragma once

#include <cstddef>

#include "editor/preset_bar/preset_bar_view.h"
#include "editor/preset_bar/preset_file_dialog.h"
#include "layout/window_layout.h"
#include "records/program_record.h"
#include "toolkit/geometry.h"

class CFrame;
class CControl;
class CControlListener;
class CTextEdit;
class COptionMenu;

namespace zarpa {

// The bar's tags, kinds and places are rows of the window table.
using window::PresetBarTag;
using window::kNameFieldTag;
using window::kRockerTag;
using window::kLoadBankTag;
using window::kSaveBankTag;
using window::kLoadPresetTag;
using window::kSavePresetTag;
using window::kProgramMenuTag;
using window::kDefaultBankTag;
using window::kDefaultPresetTag;
using window::kMemoAStoreTag;
using window::kMemoBStoreTag;
using window::kMemoARecallTag;
using window::kMemoBRecallTag;
using window::PresetBarKind;
constexpr std::size_t kPresetBarControlCount = window::kPresetBarCount;

// What a click on the control of that tag does; for the icon buttons every kind of click.
const char* presetBarTooltip(int tag);

constexpr int kProgramMenuStyle = 7680;  // the no-text and no-draw bits among others: the panel shows through
constexpr int kProgramMenuItemsPerColumn = 12;

// Built by the editor's open, destroyed by its close before the frame releases the controls.
// Threading: user-interface thread, except the PresetBarView calls, which may come from a host thread
// while the editor grants view access (the name field's text and the entry titles are safe to set there).
class PresetBar : public PresetBarView {
public:
    // Creates the controls and adds them to the frame (which then owns them). names and current describe
    // the program store; names may be null (no store: empty entries).
    PresetBar(CFrame& frame, CControlListener* listener, const ProgramRecord* programs, int current);

    CTextEdit* nameField() const { return nameField_; }
    COptionMenu* programMenu() const { return menu_; }
    CControl* control(int tag) const;

    void setMenuEntryTitle(int index, const char* title) override;
    void setMenuCurrentEntry(int index) override;
    void setNameFieldText(const char* text) override;
    void redrawAll() override;

    // Brings the menu and the name field in line with the program store (after a recalled chunk or a
    // program renamed by the host); a name being typed is left alone. User-interface thread.
    void showPrograms(const ProgramRecord* programs, int current);

private:
    CFrame& frame_;
    CTextEdit* nameField_ = nullptr;
    COptionMenu* menu_ = nullptr;
    CControl* controls_[kPresetBarControlCount] = {};
};

// The file dialog of the open window: the toolkit's selector on the editor frame (the native dialog in
// the DLL, the desktop's helper program on Linux; no helper means no dialog, so nothing changes). Its
// answer arrives at one of the frame's later idle passes.
class FrameFileSelector : public FileSelector {
public:
    explicit FrameFileSelector(CFrame& frame) : frame_(frame) {}
    bool choose(const FileDialogRequest& request, Answer answer) override;

private:
    CFrame& frame_;
};

}  // namespace zarpa
