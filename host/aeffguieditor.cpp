// The editor base: window life across rough hosts, the host's editor calls, and view access from
// other threads.
#include "host/aeffguieditor.h"

#include <thread>

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect) {}

AEffGUIEditor::~AEffGUIEditor() { AEffGUIEditor::close(); }

bool AEffGUIEditor::getRect(ERect** r) {
    if (!r) return false;
    *r = &rect;
    return true;
}

bool AEffGUIEditor::open(void* parentWindow) {
    UiTurn turn(*this, UiTurn::kWait);
    if (hasWindow()) close();  // opened again without a close: the old window goes first
    AEffEditor::open(parentWindow);
    return true;
}

void AEffGUIEditor::close() {
    UiTurn turn(*this, UiTurn::kWait);
    disableViewUpdates();
    closeWindow();
    AEffEditor::close();
}

void AEffGUIEditor::idle() {
    UiTurn turn(*this, UiTurn::kTry);
    if (!turn || !hasWindow()) return;
    enableViewUpdates();
    idleWindow();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& key) {
    UiTurn turn(*this, UiTurn::kTry);
    return turn && hasWindow() && windowKey(key, true);
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& key) {
    UiTurn turn(*this, UiTurn::kTry);
    return turn && hasWindow() && windowKey(key, false);
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode) {
    knobMode_.store(mode, std::memory_order_relaxed);
    return true;
}

void AEffGUIEditor::enableViewUpdates() {
    if (hasWindow()) viewsEnabled_.store(true, std::memory_order_seq_cst);
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
