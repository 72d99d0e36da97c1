// The editor base: window life across rough hosts, the host's editor calls, and view access from
// other threads.
#include "editor/aeffguieditor.h"

#include <iterator>
#include <thread>
#include <utility>

#include "toolkit/frame.h"

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

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect) {}

AEffGUIEditor::~AEffGUIEditor() { AEffGUIEditor::close(); }

bool AEffGUIEditor::getRect(ERect** r) {
    if (!r) return false;
    *r = &rect;
    return true;
}

bool AEffGUIEditor::open(void* parentWindow) {
    UiTurn turn(*this, UiTurn::kWait);
    if (frame) close();  // opened again without a close: the old window goes first
    AEffEditor::open(parentWindow);
    return true;
}

void AEffGUIEditor::close() {
    UiTurn turn(*this, UiTurn::kWait);
    disableViewUpdates();
    if (CFrame* old = frame) {
        frame = nullptr;
        old->close();
        old->forget();  // deleted now, or when the event handler that led here has returned
    }
    AEffEditor::close();
}

void AEffGUIEditor::idle() {
    UiTurn turn(*this, UiTurn::kTry);
    if (!turn || !frame) return;
    enableViewUpdates();
    frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& key) {
    UiTurn turn(*this, UiTurn::kTry);
    CKeyCode toolkit = toolkitKey(key);
    return turn && frame && frame->onKeyDown(toolkit);
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& key) {
    UiTurn turn(*this, UiTurn::kTry);
    CKeyCode toolkit = toolkitKey(key);
    return turn && frame && frame->onKeyUp(toolkit);
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode) {
    knobMode_.store(mode, std::memory_order_relaxed);
    return true;
}

void AEffGUIEditor::enableViewUpdates() {
    if (frame) viewsEnabled_.store(true, std::memory_order_seq_cst);
}

// A reader announces itself, then checks the flag; close clears the flag, then waits for the readers.
// With both in one sequentially consistent order, a reader that saw the flag set is waited for.
void AEffGUIEditor::disableViewUpdates() {
    viewsEnabled_.store(false, std::memory_order_seq_cst);
    while (viewUsers_.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
}

AEffGUIEditor::ViewAccess::ViewAccess(AEffGUIEditor& editor) : editor_(editor) {
    editor_.viewUsers_.fetch_add(1, std::memory_order_seq_cst);
    granted_ = editor_.viewsEnabled_.load(std::memory_order_seq_cst);
}

AEffGUIEditor::ViewAccess::~ViewAccess() { editor_.viewUsers_.fetch_sub(1, std::memory_order_release); }

AEffGUIEditor::UiTurn::UiTurn(const AEffGUIEditor& editor, Mode mode) : lock_(editor.uiLock_) {
    switch (mode) {
        case kWait: lock_->lock(); held_ = true; break;
        case kTry: held_ = lock_->try_lock(); break;
    }
}

AEffGUIEditor::UiTurn::~UiTurn() {
    if (held_) lock_->unlock();
}
