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

constexpr int kWindowBackground = 128;
constexpr CColor kNameBackColor = MakeCColor(209, 227, 238, 255);
constexpr CColor kNameInkColor = MakeCColor(36, 36, 32, 255);

constexpr PresetBarSpec kTable[kPresetBarControlCount] = {
    {kNameFieldTag, PresetBarKind::NameField, CRect(194, 447, 318, 461), kWindowBackground, 0,
     "Program name: click to rename the current program"},
    {kProgramMenuTag, PresetBarKind::ProgramMenu, CRect(320, 448, 333, 460), kWindowBackground, 0,
     "Program list: choose one of the 24 programs"},
    {kRockerTag, PresetBarKind::Rocker, CRect(340, 447, 370, 460), 995, 5,
     "Previous (left half) or next (right half) program"},
    {kLoadBankTag, PresetBarKind::FileButton, CRect(72, 447, 89, 462), 990, 3,
     "Load bank (.okb). Right click: a byte-swapped bank; Shift+right click: as is"},
    {kSaveBankTag, PresetBarKind::FileButton, CRect(22, 447, 39, 462), 991, 3,
     "Save the 24 programs as a bank file (.okb)"},
    {kDefaultBankTag, PresetBarKind::DoubleClickButton, CRect(39, 447, 71, 460), 992, 3,
     "Double click: new instances start with this bank. Ctrl+double click: forget it"},
    {kLoadPresetTag, PresetBarKind::FileButton, CRect(166, 447, 183, 462), 990, 3,
     "Load preset (.oka) into this program. Right click: byte-swapped; Shift+right: as is"},
    {kSavePresetTag, PresetBarKind::FileButton, CRect(104, 447, 121, 462), 991, 3,
     "Save this program as a preset file (.oka)"},
    {kDefaultPresetTag, PresetBarKind::DoubleClickButton, CRect(122, 447, 166, 460), 993, 3,
     "Double click: new instances start with this program. Ctrl+double click: forget it"},
    {kMemoARecallTag, PresetBarKind::KickButton, CRect(421, 447, 438, 462), 990, 3,
     "Recall memo A into this program"},
    {kMemoAStoreTag, PresetBarKind::KickButton, CRect(388, 447, 405, 462), 991, 3,
     "Store this program in memo A (overwrites what memo A holds)"},
    {kMemoBRecallTag, PresetBarKind::KickButton, CRect(486, 447, 503, 462), 990, 3,
     "Recall memo B into this program"},
    {kMemoBStoreTag, PresetBarKind::KickButton, CRect(452, 447, 469, 462), 991, 3,
     "Store this program in memo B (overwrites what memo B holds)"},
};

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
    CBitmap* loaded_[8] = {};
    int count_ = 0;
};

}  // namespace

const PresetBarSpec* presetBarTable() { return kTable; }

const PresetBarSpec* presetBarSpec(int tag) {
    for (const PresetBarSpec& spec : kTable)
        if (spec.tag == tag) return &spec;
    return nullptr;
}

PresetBar::PresetBar(CFrame& frame, CControlListener* listener, const ProgramRecord* programs, int current)
    : frame_(frame) {
    BarBitmaps bitmaps;
    ProgramName name;
    for (std::size_t i = 0; i < kPresetBarControlCount; ++i) {
        const PresetBarSpec& spec = kTable[i];
        CBitmap* bitmap = bitmaps.get(spec.bitmap);
        const CCoord imageHeight = spec.images > 0 ? bitmap->getHeight() / spec.images : 0;
        const CPoint origin(0, 0);
        CControl* control = nullptr;
        switch (spec.kind) {
            case PresetBarKind::NameField: {
                const CRect rect = nameFieldRect(spec.rect, *kNormalFontSmaller);
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
                auto* menu = new COptionMenu(spec.rect, listener, spec.tag, bitmap, nullptr, kProgramMenuStyle);
                menu->setBackOffset(CPoint(spec.rect.left, spec.rect.top));
                menu->setNbItemsPerColumn(kProgramMenuItemsPerColumn);
                for (int k = 0; k < kNumPrograms; ++k) menu->addEntry(nameOf(programs, k, name));
                menu->setCurrent(current);
                control = menu_ = menu;
                break;
            }
            case PresetBarKind::Rocker:
                control = new CPSRockerSwitch(spec.rect, listener, spec.tag, imageHeight, bitmap, origin, kHorizontal);
                break;
            case PresetBarKind::FileButton:
                control = new CSaveLoadButton(spec.rect, listener, spec.tag, imageHeight, bitmap, origin);
                break;
            case PresetBarKind::KickButton:
            case PresetBarKind::DoubleClickButton:
                control = new CPSKickButton(spec.rect, listener, spec.tag, imageHeight, bitmap, origin,
                                            spec.kind == PresetBarKind::DoubleClickButton);
                break;
        }
        control->setTooltipText(spec.tooltip);
        controls_[i] = control;
        frame.addView(control);
    }
}

CControl* PresetBar::control(int tag) const {
    for (std::size_t i = 0; i < kPresetBarControlCount; ++i)
        if (kTable[i].tag == tag) return controls_[i];
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
