// The Win32 child window: a registered window class, the framebuffer painted with SetDIBitsToDevice on
// WM_PAINT, window timers, and mouse and key messages handed to the frame. Messages arrive through the
// host's message loop on its user-interface thread.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "platform/platform.h"
#include "toolkit/platform_window.h"

namespace toolkit {
namespace {

constexpr wchar_t kClassName[] = L"OKAZarpaEditorFrame";

class Win32Window final : public PlatformWindow {
public:
    Win32Window(PlatformWindowClient& client, CCoord width, CCoord height, const CPixel* framebuffer)
        : client_(client), width_(width), height_(height), framebuffer_(framebuffer) {}
    ~Win32Window() override;

    bool open(HWND parent);
    bool isAlive() const override { return hwnd_ != nullptr; }
    void* nativeHandle() const override { return hwnd_; }
    void pollEvents(bool) override {}
    void present(const CRect& area) override;
    bool startTimer(int id, std::uint32_t intervalMs) override;
    void stopTimer(int id) override;
    void setKeyboardFocus(bool focus) override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    static bool registerClass();
    static void unregisterClass();

    PlatformWindowClient& client_;
    CCoord width_;
    CCoord height_;
    const CPixel* framebuffer_;
    HWND hwnd_ = nullptr;
    HWND parent_ = nullptr;
    HWND previousFocus_ = nullptr;  // who had the keyboard before a click gave it to us
    bool tracking_ = false;  // asked for WM_MOUSELEAVE
    static std::atomic<int> windowCount_;
};

std::atomic<int> Win32Window::windowCount_{0};

bool Win32Window::registerClass() {
    if (windowCount_.fetch_add(1) > 0) return true;
    auto instance = static_cast<HINSTANCE>(platform::moduleHandle());
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = &Win32Window::windowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    cls.lpszClassName = kClassName;
    WNDCLASSEXW existing{};
    if (GetClassInfoExW(instance, kClassName, &existing)) return true;
    return RegisterClassExW(&cls) != 0;
}

void Win32Window::unregisterClass() {
    if (windowCount_.fetch_sub(1) == 1) UnregisterClassW(kClassName, static_cast<HINSTANCE>(platform::moduleHandle()));
}

bool Win32Window::open(HWND parent) {
    if (!IsWindow(parent) || !registerClass()) return false;
    parent_ = parent;
    hwnd_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, width_, height_, parent,
                            nullptr, static_cast<HINSTANCE>(platform::moduleHandle()), this);
    return hwnd_ != nullptr;
}

Win32Window::~Win32Window() {
    if (hwnd_) {
        HWND hwnd = hwnd_;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);  // no message reaches this object any more
        hwnd_ = nullptr;
        DestroyWindow(hwnd);
    }
    unregisterClass();
}

LRESULT CALLBACK Win32Window::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (!self->hwnd_) self->hwnd_ = hwnd;  // messages sent during CreateWindowEx
    return self->handle(message, wParam, lParam);
}

CButtonState modifierState() {
    CButtonState buttons = 0;
    if (GetKeyState(VK_SHIFT) < 0) buttons |= kShift;
    if (GetKeyState(VK_CONTROL) < 0) buttons |= kControl;
    if (GetKeyState(VK_MENU) < 0) buttons |= kAlt;
    return buttons;
}

CButtonState heldButtons(WPARAM wParam) {
    CButtonState buttons = modifierState();
    if (wParam & MK_LBUTTON) buttons |= kLButton;
    if (wParam & MK_MBUTTON) buttons |= kMButton;
    if (wParam & MK_RBUTTON) buttons |= kRButton;
    return buttons;
}

CPoint pointOf(LPARAM lParam) {
    return CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
}

unsigned char virtualKey(WPARAM key) {
    switch (key) {
        case VK_BACK: return VKEY_BACK;
        case VK_TAB: return VKEY_TAB;
        case VK_RETURN: return VKEY_RETURN;
        case VK_ESCAPE: return VKEY_ESCAPE;
        case VK_DELETE: return VKEY_DELETE;
        case VK_INSERT: return VKEY_INSERT;
        case VK_HOME: return VKEY_HOME;
        case VK_END: return VKEY_END;
        case VK_LEFT: return VKEY_LEFT;
        case VK_RIGHT: return VKEY_RIGHT;
        case VK_UP: return VKEY_UP;
        case VK_DOWN: return VKEY_DOWN;
        case VK_PRIOR: return VKEY_PAGEUP;
        case VK_NEXT: return VKEY_PAGEDOWN;
        default:
            if (key >= VK_F1 && key <= VK_F12) return static_cast<unsigned char>(VKEY_F1 + (key - VK_F1));
            return 0;
    }
}

unsigned char keyModifiers() {
    unsigned char modifier = 0;
    if (GetKeyState(VK_SHIFT) < 0) modifier |= MODIFIER_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0) modifier |= MODIFIER_CONTROL;
    if (GetKeyState(VK_MENU) < 0) modifier |= MODIFIER_ALTERNATE;
    return modifier;
}

// Handlers end with the call into the client: the client may close the frame, which destroys this
// object, so nothing of it is touched afterwards.
LRESULT Win32Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;
    switch (message) {
        case WM_ERASEBKGND: return 1;  // the framebuffer covers everything
        case WM_PAINT: paint(); return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: {
            SetCapture(hwnd);
            CButtonState buttons = modifierState();
            if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) buttons |= kLButton;
            if (message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK) buttons |= kRButton;
            if (message == WM_MBUTTONDOWN || message == WM_MBUTTONDBLCLK) buttons |= kMButton;
            if (message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK)
                buttons |= kDoubleClick;
            client_.platformMouseDown(pointOf(lParam), buttons);
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            if (GetCapture() == hwnd) ReleaseCapture();
            CButtonState buttons = modifierState();
            buttons |= message == WM_LBUTTONUP ? kLButton : message == WM_RBUTTONUP ? kRButton : kMButton;
            client_.platformMouseUp(pointOf(lParam), buttons);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (!tracking_) {
                TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, 0};
                tracking_ = TrackMouseEvent(&track) != 0;
            }
            client_.platformMouseMoved(pointOf(lParam), heldButtons(wParam));
            return 0;
        case WM_MOUSELEAVE:
            tracking_ = false;
            client_.platformMouseLeft();
            return 0;
        case WM_MOUSEWHEEL: {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ScreenToClient(hwnd, &p);  // wheel positions come in screen coordinates
            const float distance = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
            client_.platformWheel(CPoint(p.x, p.y), distance, heldButtons(GET_KEYSTATE_WPARAM(wParam)));
            return 0;
        }
        case WM_KEYDOWN:
        case WM_KEYUP: {
            // Keys without a character here; characters come with WM_CHAR.
            CKeyCode key{0, virtualKey(wParam), keyModifiers()};
            if (!key.virt) break;
            const bool used = message == WM_KEYDOWN ? client_.platformKeyDown(key) : client_.platformKeyUp(key);
            return used ? 0 : DefWindowProcW(hwnd, message, wParam, lParam);
        }
        case WM_CHAR: {
            if (wParam < 32 || wParam > 255) return 0;  // control characters came as WM_KEYDOWN
            CKeyCode key{static_cast<std::int32_t>(wParam), 0, keyModifiers()};
            client_.platformKeyDown(key);
            return 0;
        }
        case WM_TIMER: client_.platformTimer(static_cast<int>(wParam)); return 0;
        case WM_DESTROY:
            // Destroyed from outside (the host destroyed our parent): forget the handle, tell the frame.
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            client_.platformDestroyed();
            return 0;
        default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Win32Window::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    client_.platformPaint();  // brings the framebuffer up to date; never closes the frame
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // rows from the top down, like the framebuffer
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width_), static_cast<DWORD>(height_), 0, 0, 0,
                      static_cast<UINT>(height_), framebuffer_, &info, DIB_RGB_COLORS);
    EndPaint(hwnd_, &ps);
}

void Win32Window::present(const CRect& area) {
    if (!hwnd_) return;
    RECT r{area.left, area.top, area.right, area.bottom};
    InvalidateRect(hwnd_, &r, FALSE);
}

bool Win32Window::startTimer(int id, std::uint32_t intervalMs) {
    return hwnd_ && SetTimer(hwnd_, static_cast<UINT_PTR>(id), intervalMs, nullptr) != 0;
}

void Win32Window::stopTimer(int id) {
    if (hwnd_) KillTimer(hwnd_, static_cast<UINT_PTR>(id));
}

void Win32Window::setKeyboardFocus(bool focus) {
    if (!hwnd_) return;
    if (focus) {
        HWND previous = SetFocus(hwnd_);
        if (previous && previous != hwnd_) previousFocus_ = previous;
    } else if (GetFocus() == hwnd_) {
        HWND back = IsWindow(previousFocus_) ? previousFocus_ : parent_;
        if (IsWindow(back)) SetFocus(back);
    }
}

}  // namespace

// Window timers tick on the host's user-interface thread.
bool onWindowTimerThread() { return false; }

std::unique_ptr<PlatformWindow> PlatformWindow::create(void* parent, CCoord width, CCoord height,
                                                       const CPixel* framebuffer, PlatformWindowClient& client,
                                                       std::shared_ptr<platform::UiLock>) {
    if (!parent || width <= 0 || height <= 0 || !framebuffer) return nullptr;
    auto window = std::make_unique<Win32Window>(client, width, height, framebuffer);
    if (!window->open(static_cast<HWND>(parent))) return nullptr;
    return window;
}

}  // namespace toolkit
