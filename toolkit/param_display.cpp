// CParamDisplay: background, frame and text drawing shared by the text field and the option menu.
#include "toolkit/param_display.h"

#include <cstdio>

#include "toolkit/bitmap.h"

CParamDisplay::CParamDisplay(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
                             std::int32_t style)
    : CControl(size, listener, tag, background), style_(style) {
    setFont(kNormalFontSmaller);
}

CParamDisplay::CParamDisplay(const CParamDisplay& other)
    : CControl(other),
      fontColor_(other.fontColor_),
      backColor_(other.backColor_),
      frameColor_(other.frameColor_),
      align_(other.align_),
      style_(other.style_),
      backOffset_(other.backOffset_),
      valueToText_(other.valueToText_) {
    setFont(other.font_);
}

CParamDisplay::~CParamDisplay() {
    if (font_) font_->forget();
}

void CParamDisplay::setFont(CFontRef font) {
    if (font == font_) return;
    if (font) font->remember();
    if (font_) font_->forget();
    font_ = font;
    setDirty();
}

std::string CParamDisplay::valueText() const {
    if (valueToText_) return valueToText_(getValue());
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(getValue()));
    return text;
}

std::string CParamDisplay::getDisplayText() const { return valueText(); }

void CParamDisplay::drawBack(CDrawContext* context, CBitmap* bitmap) {
    if (bitmap && bitmap->isLoaded()) {
        bitmap->draw(context, size, backOffset_);
        return;
    }
    context->setFillColor(backColor_);
    context->setFrameColor(frameColor_);
    context->setLineWidth(1);
    context->drawRect(size, kDrawFilledAndStroked);
}

void CParamDisplay::drawText(CDrawContext* context, const std::string& text) {
    context->setFont(font_);
    context->setFontColor(fontColor_);
    context->drawString(text.c_str(), size, align_);
}

void CParamDisplay::draw(CDrawContext* context) {
    setDirty(false);
    if (style_ & kNoDrawStyle) return;
    drawBack(context, pBackground);
    if (!(style_ & kNoTextStyle)) drawText(context, getDisplayText());
}
