// The X11 child window: our own display connection, the framebuffer shown with XPutImage, events read
// from the queue when the frame idles, and timers on a thread of the window's own. A process-wide error
// handler keeps X errors on our connections (a window destroyed with its parent) from ending the host.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "toolkit/platform_window.h"
#include "toolkit/timer_thread.h"

namespace toolkit {
namespace {

class X11Window;

// Errors on our own connections are noted and swallowed; errors on anybody else's go to the handler
// that was installed before ours. Ours is installed while at least one of our windows exists.
class ErrorTrap {
public:
    static void attach(Display* display, X11Window* window) {
        std::lock_guard<std::mutex> lock(mutex());
        if (entries().empty()) previous() = XSetErrorHandler(&handle);
        entries().push_back({display, window});
    }
    static void detach(Display* display) {
        std::lock_guard<std::mutex> lock(mutex());
        auto& list = entries();
        list.erase(std::remove_if(list.begin(), list.end(), [display](const Entry& e) { return e.display == display; }),
                   list.end());
        if (!list.empty()) return;
        // Put the old handler back, unless somebody installed another one after ours.
        XErrorHandler current = XSetErrorHandler(previous());
        if (current != &handle) XSetErrorHandler(current);
        previous() = nullptr;
    }

private:
    struct Entry {
        Display* display;
        X11Window* window;
    };
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static std::vector<Entry>& entries() {
        static std::vector<Entry> list;
        return list;
    }
    static XErrorHandler& previous() {
        static XErrorHandler handler = nullptr;
        return handler;
    }
    static int handle(Display* display, XErrorEvent* error);
};

class X11Window final : public PlatformWindow {
public:
    X11Window(PlatformWindowClient& client, CCoord width, CCoord height, const CPixel* framebuffer,
              std::shared_ptr<platform::UiLock> uiLock)
        : client_(client), width_(width), height_(height), framebuffer_(framebuffer), uiLock_(std::move(uiLock)) {}
    ~X11Window() override;

    bool open(::Window parent);
    void noteError(const XErrorEvent& error) {
        if (error.resourceid == window_ && (error.error_code == BadWindow || error.error_code == BadDrawable))
            destroyed_ = true;
        failed_ = true;
    }

    bool isAlive() const override { return opened_ && !destroyed_; }
    void* nativeHandle() const override { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window_)); }
    void pollEvents(bool input) override;
    void present(const CRect& area) override;
    bool startTimer(int id, std::uint32_t intervalMs) override;
    void stopTimer(int id) override {
        if (timers_) timers_->stop(id);
    }
    void setKeyboardFocus(bool focus) override;

private:
    CButtonState modifiers(unsigned state) const;
    CButtonState heldButtons(unsigned state) const;
    void handleButtonPress(const XButtonEvent& event);
    void handleKey(XKeyEvent& event, bool down);

    PlatformWindowClient& client_;
    CCoord width_;
    CCoord height_;
    const CPixel* framebuffer_;
    std::shared_ptr<platform::UiLock> uiLock_;
    std::unique_ptr<TimerThread> timers_;  // made with the first timer
    Display* display_ = nullptr;
    ::Window parent_ = 0;
    ::Window window_ = 0;
    ::Window previousFocus_ = 0;  // who had the keyboard before a click gave it to us
    Colormap colormap_ = 0;
    GC gc_ = nullptr;
    XImage* image_ = nullptr;
    bool opened_ = false;     // the window was made and mapped without error
    bool destroyed_ = false;  // the server destroyed it (with its parent)
    bool failed_ = false;     // an X error arrived on our connection
    // The last press, to recognise the second press of a double click.
    Time lastPressTime_ = 0;
    unsigned lastPressButton_ = 0;
    CPoint lastPressPoint_{-1000, -1000};
};

int ErrorTrap::handle(Display* display, XErrorEvent* error) {
    XErrorHandler chained = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex());
        for (const Entry& e : entries()) {
            if (e.display == display) {
                e.window->noteError(*error);
                return 0;
            }
        }
        chained = previous();
    }
    return chained ? chained(display, error) : 0;
}

bool X11Window::open(::Window parent) {
    display_ = XOpenDisplay(nullptr);
    if (!display_) return false;
    ErrorTrap::attach(display_, this);
    parent_ = parent;

    XWindowAttributes parentAttributes;
    XVisualInfo visual;
    const int screen = DefaultScreen(display_);
    if (!XGetWindowAttributes(display_, parent, &parentAttributes) ||
        !XMatchVisualInfo(display_, screen, 24, TrueColor, &visual))
        return false;

    // Our own visual and colormap, so the window works inside a parent of any depth.
    colormap_ = XCreateColormap(display_, parent, visual.visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = colormap_;
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | LeaveWindowMask |
                            KeyPressMask | KeyReleaseMask | StructureNotifyMask;
    window_ = XCreateWindow(display_, parent, 0, 0, static_cast<unsigned>(width_), static_cast<unsigned>(height_), 0,
                            24, InputOutput, visual.visual, CWColormap | CWBorderPixel | CWBackPixel | CWEventMask,
                            &attributes);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    image_ = XCreateImage(display_, visual.visual, 24, ZPixmap, 0,
                          reinterpret_cast<char*>(const_cast<CPixel*>(framebuffer_)), static_cast<unsigned>(width_),
                          static_cast<unsigned>(height_), 32, width_ * 4);
    if (!image_ || image_->bits_per_pixel != 32) return false;
    image_->byte_order = LSBFirst;  // our pixels are 32-bit words in this machine's order; Xlib swaps if needed
    XMapWindow(display_, window_);
    XSync(display_, False);
    opened_ = !failed_;
    return opened_;
}

X11Window::~X11Window() {
    timers_.reset();  // no tick may reach a window being taken apart
    if (!display_) return;
    if (image_) {
        image_->data = nullptr;  // the framebuffer belongs to the frame
        XDestroyImage(image_);
    }
    if (gc_) XFreeGC(display_, gc_);
    if (window_ && !destroyed_) XDestroyWindow(display_, window_);
    if (colormap_) XFreeColormap(display_, colormap_);
    XSync(display_, False);  // errors of the calls above reach the trap while it still knows us
    XCloseDisplay(display_);
    ErrorTrap::detach(display_);
}

CButtonState X11Window::modifiers(unsigned state) const {
    CButtonState buttons = 0;
    if (state & ShiftMask) buttons |= kShift;
    if (state & ControlMask) buttons |= kControl;
    if (state & Mod1Mask) buttons |= kAlt;
    return buttons;
}

CButtonState X11Window::heldButtons(unsigned state) const {
    CButtonState buttons = modifiers(state);
    if (state & Button1Mask) buttons |= kLButton;
    if (state & Button2Mask) buttons |= kMButton;
    if (state & Button3Mask) buttons |= kRButton;
    return buttons;
}

CButtonState buttonBit(unsigned button) {
    switch (button) {
        case Button1: return kLButton;
        case Button2: return kMButton;
        case Button3: return kRButton;
        default: return 0;
    }
}

void X11Window::handleButtonPress(const XButtonEvent& event) {
    const CPoint where(event.x, event.y);
    if (event.button == Button4 || event.button == Button5) {
        client_.platformWheel(where, event.button == Button4 ? 1.0f : -1.0f, heldButtons(event.state));
        return;
    }
    const CButtonState bit = buttonBit(event.button);
    if (!bit) return;
    constexpr Time kDoubleClickMs = 400;
    constexpr CCoord kDoubleClickSlop = 4;  // pixels the pointer may move between the two presses
    CButtonState buttons = bit | modifiers(event.state);
    const bool again = event.button == lastPressButton_ && event.time - lastPressTime_ <= kDoubleClickMs &&
                       std::abs(event.x - lastPressPoint_.x) <= kDoubleClickSlop &&
                       std::abs(event.y - lastPressPoint_.y) <= kDoubleClickSlop;
    if (again) {
        buttons |= kDoubleClick;
        lastPressButton_ = 0;  // a third press starts anew
    } else {
        lastPressButton_ = event.button;
        lastPressTime_ = event.time;
        lastPressPoint_ = where;
    }
    client_.platformMouseDown(where, buttons);
}

CKeyCode translateKey(KeySym keysym, const char* text, int length) {
    CKeyCode key{0, 0, 0};
    switch (keysym) {
        case XK_BackSpace: key.virt = VKEY_BACK; break;
        case XK_Tab: key.virt = VKEY_TAB; break;
        case XK_Return: key.virt = VKEY_RETURN; break;
        case XK_KP_Enter: key.virt = VKEY_ENTER; break;
        case XK_Escape: key.virt = VKEY_ESCAPE; break;
        case XK_Delete: key.virt = VKEY_DELETE; break;
        case XK_Insert: key.virt = VKEY_INSERT; break;
        case XK_Home: key.virt = VKEY_HOME; break;
        case XK_End: key.virt = VKEY_END; break;
        case XK_Left: key.virt = VKEY_LEFT; break;
        case XK_Right: key.virt = VKEY_RIGHT; break;
        case XK_Up: key.virt = VKEY_UP; break;
        case XK_Down: key.virt = VKEY_DOWN; break;
        case XK_Page_Up: key.virt = VKEY_PAGEUP; break;
        case XK_Page_Down: key.virt = VKEY_PAGEDOWN; break;
        case XK_space: key.virt = VKEY_SPACE; key.character = ' '; break;
        default:
            if (keysym >= XK_F1 && keysym <= XK_F12) key.virt = static_cast<unsigned char>(VKEY_F1 + (keysym - XK_F1));
            else if (length == 1) key.character = static_cast<unsigned char>(text[0]);
            break;
    }
    return key;
}

void X11Window::handleKey(XKeyEvent& event, bool down) {
    char text[8] = {};
    KeySym keysym = 0;
    const int length = XLookupString(&event, text, sizeof text, &keysym, nullptr);
    CKeyCode key = translateKey(keysym, text, length);
    if (key.character == 0 && key.virt == 0) return;  // modifiers alone and keys we have no code for
    if (event.state & ShiftMask) key.modifier |= MODIFIER_SHIFT;
    if (event.state & ControlMask) key.modifier |= MODIFIER_CONTROL;
    if (event.state & Mod1Mask) key.modifier |= MODIFIER_ALTERNATE;
    if (down) client_.platformKeyDown(key);
    else client_.platformKeyUp(key);
}

void X11Window::pollEvents(bool input) {
    CRect exposed;
    while (display_ && isAlive() && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.xany.window != window_) continue;
        switch (event.type) {
            case Expose:
                exposed.unite(CRect(CPoint(event.xexpose.x, event.xexpose.y), event.xexpose.width, event.xexpose.height));
                break;
            case DestroyNotify:
                if (event.xdestroywindow.window == window_) {
                    destroyed_ = true;
                    client_.platformDestroyed();
                }
                break;
            case ButtonPress:
                if (input) handleButtonPress(event.xbutton);
                break;
            case ButtonRelease:
                if (input && buttonBit(event.xbutton.button))
                    client_.platformMouseUp(CPoint(event.xbutton.x, event.xbutton.y),
                                            buttonBit(event.xbutton.button) | modifiers(event.xbutton.state));
                break;
            case MotionNotify:
                // Only the latest position matters; older moves queued behind it are skipped.
                while (XCheckTypedWindowEvent(display_, window_, MotionNotify, &event)) {
                }
                if (input)
                    client_.platformMouseMoved(CPoint(event.xmotion.x, event.xmotion.y), heldButtons(event.xmotion.state));
                break;
            case LeaveNotify:
                // A grab (the window manager's on a click) or a move into a child is no leaving.
                if (input && event.xcrossing.mode == NotifyNormal && event.xcrossing.detail != NotifyInferior)
                    client_.platformMouseLeft();
                break;
            case KeyPress:
            case KeyRelease:
                if (input) handleKey(event.xkey, event.type == KeyPress);
                break;
            default: break;
        }
    }
    if (!exposed.isEmpty() && isAlive()) {
        client_.platformPaint();
        present(exposed);
    }
}

void X11Window::present(const CRect& area) {
    if (!isAlive()) return;
    CRect r = area;
    r.bound(CRect(0, 0, width_, height_));
    if (r.isEmpty()) return;
    XPutImage(display_, window_, gc_, image_, r.left, r.top, r.left, r.top, static_cast<unsigned>(r.getWidth()),
              static_cast<unsigned>(r.getHeight()));
    XFlush(display_);
}

bool X11Window::startTimer(int id, std::uint32_t intervalMs) {
    if (!uiLock_) return false;  // nothing to take turns with: see PlatformWindow
    if (!timers_) timers_ = std::make_unique<TimerThread>(uiLock_, client_);
    return timers_->start(id, intervalMs);
}

void X11Window::setKeyboardFocus(bool focus) {
    if (!isAlive()) return;
    ::Window current = 0;
    int revert = 0;
    XGetInputFocus(display_, &current, &revert);
    if (focus) {
        if (current != window_) previousFocus_ = current;
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    } else if (current == window_) {
        // None would leave the keyboard with nobody; PointerRoot (no manager) is handed back as it was.
        XSetInputFocus(display_, previousFocus_ != 0 ? previousFocus_ : parent_, RevertToParent, CurrentTime);
    }
    XFlush(display_);
}

}  // namespace

std::unique_ptr<PlatformWindow> PlatformWindow::create(void* parent, CCoord width, CCoord height,
                                                       const CPixel* framebuffer, PlatformWindowClient& client,
                                                       std::shared_ptr<platform::UiLock> uiLock) {
    const auto parentId = static_cast<::Window>(reinterpret_cast<std::uintptr_t>(parent));
    if (!parentId || width <= 0 || height <= 0 || !framebuffer) return nullptr;
    auto window = std::make_unique<X11Window>(client, width, height, framebuffer, std::move(uiLock));
    if (!window->open(parentId)) return nullptr;
    return window;
}

}  // namespace toolkit
