// Hover help: a one-line box with a view's tooltip text, shown once the pointer has rested over that
// view for a moment. The frame owns one, feeds it the pointer and its clock, and draws it over every view.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/geometry.h"

class CDrawContext;
class CView;

class CTooltip {
public:
    static constexpr std::uint32_t kDelayMs = 600;

    // The pointer moved to `where`, over `view` (nullptr: over no view with a tooltip). A new view
    // hides the box and starts the delay again.
    void pointerMoved(CView* view, const CPoint& where, std::uint32_t now);
    // The pointer left the window.
    void pointerLeft() { track(nullptr, 0); }
    // A click, wheel or key: the box goes and stays away until the pointer moves to another view.
    void dismiss();
    // The view is going away: nothing may refer to it any more.
    void forgetView(const CView* view);

    // Shows the box once the delay has passed; hides it when its view lost its text. `area` is the
    // frame's rectangle, which the box never leaves. True when the box appeared, moved or went.
    bool update(std::uint32_t now, const CRect& area);

    const CView* getView() const { return view_; }
    bool isShown() const { return shown_; }
    const std::string& getText() const { return text_; }
    const CRect& getBox() const { return box_; }  // empty while hidden
    void draw(CDrawContext* context) const;

private:
    void track(CView* view, std::uint32_t now);
    CRect boxFor(const std::string& text, const CRect& area) const;

    CView* view_ = nullptr;
    CPoint pointer_;
    std::uint32_t since_ = 0;
    bool dismissed_ = false;
    bool shown_ = false;
    std::string text_;
    CRect box_;
};
