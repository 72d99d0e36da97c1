// The toolkit frame behind the host binding's editor base.
#include "editor/frame_editor.h"

#include <utility>

#include "toolkit/frame.h"
#include "toolkit/keys.h"

namespace {

// The standard's key codes in the toolkit's terms. A virtual key the toolkit has no code for reaches the
// views with virtual key 0 and the host's character, as any other key they do not handle.
unsigned char toolkitVirtualKey(unsigned char vst) {
    static constexpr std::pair<unsigned char, CVirtualKey> kKeys[] = {
        {kVstKeyBack, VKEY_BACK},         {kVstKeyTab, VKEY_TAB},           {kVstKeyClear, VKEY_CLEAR},
        {kVstKeyReturn, VKEY_RETURN},     {kVstKeyPause, VKEY_PAUSE},       {kVstKeyEscape, VKEY_ESCAPE},
        {kVstKeySpace, VKEY_SPACE},       {kVstKeyNext, VKEY_NEXT},         {kVstKeyEnd, VKEY_END},
        {kVstKeyHome, VKEY_HOME},         {kVstKeyLeft, VKEY_LEFT},         {kVstKeyUp, VKEY_UP},
        {kVstKeyRight, VKEY_RIGHT},       {kVstKeyDown, VKEY_DOWN},         {kVstKeyPageUp, VKEY_PAGEUP},
        {kVstKeyPageDown, VKEY_PAGEDOWN}, {kVstKeySelect, VKEY_SELECT},     {kVstKeyPrint, VKEY_PRINT},
        {kVstKeyEnter, VKEY_ENTER},       {kVstKeySnapshot, VKEY_SNAPSHOT}, {kVstKeyInsert, VKEY_INSERT},
        {kVstKeyDelete, VKEY_DELETE},     {kVstKeyHelp, VKEY_HELP},         {kVstKeyNumpad0, VKEY_NUMPAD0},
        {kVstKeyShift, VKEY_SHIFT},       {kVstKeyControl, VKEY_CONTROL},   {kVstKeyAlt, VKEY_ALT},
        {kVstKeyEquals, VKEY_EQUALS},
    };
    if (vst >= kVstKeyF1 && vst <= kVstKeyF12) return static_cast<unsigned char>(VKEY_F1 + (vst - kVstKeyF1));
    for (const auto& [from, to] : kKeys)
        if (from == vst) return to;
    return 0;
}

CKeyCode toolkitKey(const VstKeyCode& key) {
    static constexpr std::pair<unsigned char, CModifierKey> kModifiers[] = {
        {kVstModifierShift, MODIFIER_SHIFT},
        {kVstModifierAlternate, MODIFIER_ALTERNATE},
        {kVstModifierCommand, MODIFIER_COMMAND},
        {kVstModifierControl, MODIFIER_CONTROL},
    };
    unsigned char modifier = 0;
    for (const auto& [from, to] : kModifiers)
        if (key.modifier & from) modifier |= to;
    return CKeyCode{key.character, toolkitVirtualKey(key.virt), modifier};
}

}  // namespace

CFrameEditor::~CFrameEditor() { AEffGUIEditor::close(); }  // here the frame is still this class's to close

void CFrameEditor::closeWindow() {
    if (CFrame* old = frame) {
        frame = nullptr;
        old->close();
        old->forget();  // deleted now, or when the event handler that led here has returned
    }
}

void CFrameEditor::idleWindow() { frame->idle(); }

bool CFrameEditor::windowKey(const VstKeyCode& key, bool down) {
    CKeyCode toolkit = toolkitKey(key);
    return down ? frame->onKeyDown(toolkit) : frame->onKeyUp(toolkit);
}
