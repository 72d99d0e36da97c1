// The native child window behind a frame: X11 on Linux, Win32 in the DLL.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/ui_lock.h"
#include "toolkit/geometry.h"
#include "toolkit/keys.h"

namespace toolkit {

// What the native window reports to its frame, always on the user-interface thread.
class PlatformWindowClient {
public:
    virtual ~PlatformWindowClient() = default;
    virtual void platformMouseDown(CPoint where, CButtonState buttons) = 0;
    virtual void platformMouseUp(CPoint where, CButtonState buttons) = 0;
    virtual void platformMouseMoved(CPoint where, CButtonState buttons) = 0;
    virtual void platformMouseLeft() = 0;
    virtual void platformWheel(CPoint where, float distance, CButtonState buttons) = 0;
    virtual bool platformKeyDown(CKeyCode key) = 0;
    virtual bool platformKeyUp(CKeyCode key) = 0;
    // The window needs its pixels: bring the framebuffer up to date (the window then shows it).
    virtual void platformPaint() = 0;
    virtual void platformTimer(int id) = 0;
    // The native window is gone (its parent was destroyed): nothing may be drawn into it any more.
    virtual void platformDestroyed() = 0;
};

// A child window of the host's window, showing a framebuffer of width × height pixels that the frame
// owns. Destroying the object destroys the native window unless it is already gone. Created, used and
// destroyed by whoever holds the editor's user-interface lock (uiLock).
//
// Timers: in the DLL they are window timers, ticking on the host's user-interface thread. On Linux the
// host's X events never reach us, so the window runs a timer thread of its own; each tick takes uiLock
// (a try: when the host is running the editor, the tick is skipped) and reports platformTimer under it.
// Without a uiLock (a frame with no editor) no timer runs on Linux.
class PlatformWindow {
public:
    // nullptr when no window could be made (no display, an invalid parent).
    static std::unique_ptr<PlatformWindow> create(void* parent, CCoord width, CCoord height, const CPixel* framebuffer,
                                                  PlatformWindowClient& client, std::shared_ptr<platform::UiLock> uiLock);
    virtual ~PlatformWindow() = default;

    virtual bool isAlive() const = 0;
    virtual void* nativeHandle() const = 0;
    // Reads the events queued for the window and reports them (X11). With input off, only painting and
    // destruction are reported and input is dropped (while a modal dialog runs). Win32: nothing to do,
    // messages arrive through the host's message loop.
    virtual void pollEvents(bool input) = 0;
    // Shows the framebuffer pixels inside area.
    virtual void present(const CRect& area) = 0;
    // A periodic timer reporting platformTimer(id); false when none could be made.
    virtual bool startTimer(int id, std::uint32_t intervalMs) = 0;
    virtual void stopTimer(int id) = 0;
    // Takes the keyboard (remembering who had it), or hands it back to that window (else the host's
    // window) when the window still has it; when the user has since given it to another window, nothing.
    virtual void setKeyboardFocus(bool focus) = 0;
};

// True on the thread of a window's own timer (Linux): the host does not know that thread, so nothing
// running on it may call the host's user-interface services.
bool onWindowTimerThread();

}  // namespace toolkit
