// What the record operations show in the preset bar while the editor window is open: the program menu's
// entries and the name field. The preset bar implements it; while no window is open there is none.
#pragma once

namespace zarpa {

// Threading: called on the editor's user-interface thread only.
class PresetBarView {
public:
    virtual ~PresetBarView() = default;
    // Each call reaches its control only if that control exists.
    virtual void setMenuEntryTitle(int index, const char* title) = 0;
    virtual void setMenuCurrentEntry(int index) = 0;
    virtual void setNameFieldText(const char* text) = 0;
    // After a file was loaded: redraw the whole editor frame.
    virtual void redrawAll() = 0;
};

}  // namespace zarpa
