// Mouse button and modifier bits of the toolkit, and its key events: virtual key codes and modifier bits.
#pragma once

#include <cstdint>

// Button state of a mouse event: which buttons are down, which modifiers are held, whether the press
// is the second of a double click.
using CButtonState = std::int32_t;
enum CButton : CButtonState {
    kLButton = 1 << 0,
    kMButton = 1 << 1,
    kRButton = 1 << 2,
    kShift = 1 << 3,
    kControl = 1 << 4,
    kAlt = 1 << 5,
    kDoubleClick = 1 << 6,
};
constexpr CButtonState kMouseButtons = kLButton | kMButton | kRButton;
constexpr CButtonState kModifiers = kShift | kControl | kAlt;

enum CMouseEventResult {
    kMouseEventNotHandled = 0,
    kMouseEventHandled,                              // the view wants the moves and the release
    kMouseDownEventHandledButDontNeedMovedOrUpEvents  // consumed; nothing more for this click
};

// A key as the views receive it: a character, or a virtual key (then character is 0), and the modifier
// bits held. The host binding and the native windows translate their own codes into these.
struct CKeyCode {
    std::int32_t character;
    unsigned char virt;      // a CVirtualKey; 0 for a character
    unsigned char modifier;  // CModifierKey bits
};

// Virtual key codes; 0 means the key is a character.
enum CVirtualKey : unsigned char {
    VKEY_BACK = 1,
    VKEY_TAB,
    VKEY_CLEAR,
    VKEY_RETURN,
    VKEY_PAUSE,
    VKEY_ESCAPE,
    VKEY_SPACE,
    VKEY_NEXT,
    VKEY_END,
    VKEY_HOME,
    VKEY_LEFT,
    VKEY_UP,
    VKEY_RIGHT,
    VKEY_DOWN,
    VKEY_PAGEUP,
    VKEY_PAGEDOWN,
    VKEY_SELECT,
    VKEY_PRINT,
    VKEY_ENTER,
    VKEY_SNAPSHOT,
    VKEY_INSERT,
    VKEY_DELETE,
    VKEY_HELP,
    VKEY_NUMPAD0,
    VKEY_F1 = 40,
    VKEY_F12 = 51,
    VKEY_SHIFT = 54,
    VKEY_CONTROL,
    VKEY_ALT,
    VKEY_EQUALS,
};

// Modifier bits of a key event.
enum CModifierKey : unsigned char {
    MODIFIER_SHIFT = 1 << 0,
    MODIFIER_ALTERNATE = 1 << 1,
    MODIFIER_COMMAND = 1 << 2,
    MODIFIER_CONTROL = 1 << 3,
};

// Knob modes a host may set through effSetEditKnobMode.
enum CKnobMode : std::int32_t { kCircularMode = 0, kRelativeCircularMode, kLinearMode };
