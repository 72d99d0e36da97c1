// The info panel: a hot area at the bottom centre that opens a panel with the product name, version,
// the current processing latency and the credits over the lower part of the window; any left click
// closes it again. A right click on the closed area offers the editor's menu. While open it is the frame's modal view and has an empty rectangle of its own, so it
// is neither drawn nor hit as an ordinary view.
//
// Threading: user-interface thread only.
#pragma once

#include <functional>

#include "editor/text_printer.h"
#include "toolkit/control.h"

namespace zarpa {

class CInfo : public CControl, public CTextPrinter {
public:
    CInfo(const CRect& size, CBitmap* background, CBitmap* font);

    void setLatency(int samples);
    // A right click on the closed hot area calls this (the editor's size menu).
    void setRightClickHandler(std::function<void()> handler) { rightClick_ = std::move(handler); }
    int getLatency() const { return latency_; }
    bool isPanelOpen() const { return open_; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

private:
    void drawPanel(CDrawContext* context) const;

    bool open_ = false;
    int latency_ = 0;
    CRect hotArea_;
    std::function<void()> rightClick_;
};

}  // namespace zarpa
