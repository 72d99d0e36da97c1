// The preset bar's construction from its table, its view of the program store, and its file dialogs.
#include "editor/preset_bar/preset_bar.h"

#include <cstring>

#include "editor/preset_bar/preset_bar_controls.h"
#include "presets/preset_records.h"
#include "toolkit/bitmap.h"
#include "toolkit/file_selector.h"
#include "toolkit/font.h"
#include "toolkit/frame.h"
#include "toolkit/option_menu.h"
#include "toolkit/text_edit.h"

namespace zarpa {

namespace {

constexpr CColor kNameBackColor = MakeCColor(209, 227, 238, 255);
constexpr CColor kNameInkColor = MakeCColor(36, 36, 32, 255);

// The name field's height follows its font: centred on the bar's middle row, two pixels above and below.
CRect nameFieldRect(const CRect& rect, const CFontDesc& font) {
    const CCoord centre = (rect.top + rect.bottom) / 2;
    const CCoord half = font.getSize() / 2;
    return CRect(rect.left, centre - half - 2, rect.right, centre + half + 2);
}

const char* nameOf(const ProgramRecord* programs, int k, ProgramName& buffer) {
    if (!programs) return "";
    buffer = programName(programs[k]);
    return buffer.text;
}

// Bitmaps of one construction, each loaded once; the controls keep their own references.
class BarBitmaps {
public:
    ~BarBitmaps() {
        for (int i = 0; i < count_; ++i) loaded_[i]->forget();
    }
    CBitmap* get(int id) {
        for (int i = 0; i < count_; ++i)
            if (loaded_[i]->getResourceId() == id) return loaded_[i];
        return loaded_[count_++] = new CBitmap(id);
    }

private:
    CBitmap* loaded_[kPresetBarControlCount] = {};  // at most one bitmap per control
    int count_ = 0;
};

}  // namespace

const char* presetBarTooltip(int tag) {
    switch (tag) {
        case kNameFieldTag: return "Program name: click to rename the current program";
        case kProgramMenuTag: return "Program list: choose one of the 24 programs";
        case kRockerTag: return "Previous (left half) or next (right half) program";
        case kLoadBankTag: return "Load bank (.okb). Right click: a byte-swapped bank; Shift+right click: as is";
        case kSaveBankTag: return "Save the 24 programs as a bank file (.okb)";
        case kDefaultBankTag: return "Double click: new instances start with this bank. Ctrl+double click: forget it";
        case kLoadPresetTag: return "Load preset (.oka) into this program. Right click: byte-swapped; Shift+right: as is";
        case kSavePresetTag: return "Save this program as a preset file (.oka)";
        case kDefaultPresetTag: return "Double click: new instances start with this program. Ctrl+double click: forget it";
        case kMemoARecallTag: return "Recall memo A into this program";
        case kMemoAStoreTag: return "Store this program in memo A (overwrites what memo A holds)";
        case kMemoBRecallTag: return "Recall memo B into this program";
        case kMemoBStoreTag: return "Store this program in memo B (overwrites what memo B holds)";
        default: return "";
    }
}

PresetBar::PresetBar(CFrame& frame, CControlListener* listener, const ProgramRecord* programs, int current)
    : frame_(frame) {
    BarBitmaps bitmaps;
    ProgramName name;
    for (std::size_t i = 0; i < kPresetBarControlCount; ++i) {
        const window::PresetBarControl& spec = window::kPresetBar[i];
        const CRect place(spec.rect.left, spec.rect.top, spec.rect.right, spec.rect.bottom);
        CBitmap* bitmap = bitmaps.get(spec.bitmap);
        const CCoord imageHeight = spec.images > 0 ? bitmap->getHeight() / spec.images : 0;
        const CPoint origin(0, 0);
        CControl* control = nullptr;
        switch (spec.kind) {
            case PresetBarKind::NameField: {
                const CRect rect = nameFieldRect(place, *kNormalFontSmaller);
                auto* field = new CTextEdit(rect, listener, spec.tag,
                                            programs && current >= 0 ? nameOf(programs, current, name) : "", bitmap);
                field->setBackOffset(CPoint(rect.left, rect.top));
                field->setFont(kNormalFontSmaller);
                field->setBackColor(kNameBackColor);
                field->setFrameColor(kNameInkColor);
                field->setFontColor(kNameInkColor);
                field->setHoriAlign(kCenterText);
                control = nameField_ = field;
                break;
            }
            case PresetBarKind::ProgramMenu: {
                auto* menu = new COptionMenu(place, listener, spec.tag, bitmap, nullptr, kProgramMenuStyle);
                menu->setBackOffset(place.getTopLeft());
                menu->setNbItemsPerColumn(kProgramMenuItemsPerColumn);
                for (int k = 0; k < kNumPrograms; ++k) menu->addEntry(nameOf(programs, k, name));
                menu->setCurrent(current);
                control = menu_ = menu;
                break;
            }
            case PresetBarKind::Rocker:
                control = new CPSRockerSwitch(place, listener, spec.tag, imageHeight, bitmap, origin, kHorizontal);
                break;
            case PresetBarKind::FileButton:
                control = new CSaveLoadButton(place, listener, spec.tag, imageHeight, bitmap, origin);
                break;
            case PresetBarKind::KickButton:
            case PresetBarKind::DoubleClickButton:
                control = new CPSKickButton(place, listener, spec.tag, imageHeight, bitmap, origin,
                                            spec.kind == PresetBarKind::DoubleClickButton);
                break;
        }
        control->setTooltipText(presetBarTooltip(spec.tag));
        controls_[i] = control;
        frame.addView(control);
    }
}

CControl* PresetBar::control(int tag) const {
    for (std::size_t i = 0; i < kPresetBarControlCount; ++i)
        if (window::kPresetBar[i].tag == tag) return controls_[i];
    return nullptr;
}

void PresetBar::setMenuEntryTitle(int index, const char* title) {
    if (!menu_ || !title) return;
    if (CMenuItem* entry = menu_->getEntry(index)) {
        entry->setTitle(title);
        menu_->setDirty();
    }
}

void PresetBar::setMenuCurrentEntry(int index) {
    if (menu_) menu_->setCurrent(index);
}

void PresetBar::setNameFieldText(const char* text) {
    if (nameField_ && text) nameField_->setText(text);
}

void PresetBar::redrawAll() { frame_.setDirty(); }

void PresetBar::showPrograms(const ProgramRecord* programs, int current) {
    if (!programs || current < 0 || current >= kNumPrograms) return;
    for (int k = 0; k < kNumPrograms && menu_; ++k) {
        const ProgramName name = programName(programs[k]);
        CMenuItem* entry = menu_->getEntry(k);
        if (entry && entry->getTitle() != name.text) setMenuEntryTitle(k, name.text);
    }
    if (menu_ && menu_->getCurrentIndex() != current) menu_->setCurrent(current);
    if (nameField_ && !nameField_->isInPlaceEditing()) {
        const ProgramName name = programName(programs[current]);
        if (nameField_->getText() != name.text) nameField_->setText(name.text);
    }
}

bool FrameFileSelector::choose(const FileDialogRequest& request, Answer answer) {
    const bool saving = request.style == FileDialogStyle::Save;
    CNewFileSelector* dialog =
        CNewFileSelector::create(&frame_, saving ? CNewFileSelector::kSelectSaveFile : CNewFileSelector::kSelectFile);
    if (!dialog) return false;
    dialog->setTitle(request.title);
    dialog->setInitialDirectory(request.initialDirectory);
    const CFileExtension type(request.typeDescription, request.extension);
    if (saving) {
        dialog->setDefaultSaveName(request.defaultFileName);
        dialog->setDefaultExtension(type);
    } else {
        dialog->addFileExtension(type);
    }
    dialog->setAllowMultiFileSelection(false);
    const bool shown = dialog->run([answer = std::move(answer)](CNewFileSelector* answered) {
        std::vector<std::string> chosen;
        for (std::int32_t i = 0; i < answered->getNumSelectedFiles(); ++i) chosen.emplace_back(answered->getSelectedFile(i));
        answer(std::move(chosen));
    });
    dialog->forget();  // a dialog that is up keeps itself until its answer is delivered
    return shown;
}

}  // namespace zarpa
