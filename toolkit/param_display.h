// CParamDisplay: a control that shows a text over a background, the common base of the text field and
// the option menu.
#pragma once

#include <functional>
#include <string>

#include "toolkit/control.h"
#include "toolkit/draw_context.h"

// Draws, unless the style says otherwise (kNoDrawStyle: nothing; kNoTextStyle: no text): the background
// bitmap from the background offset, or without a bitmap the back colour framed in the frame colour;
// then the text in the font and font colour, aligned horizontally and centred vertically.
class CParamDisplay : public CControl {
public:
    CParamDisplay(const CRect& size, CControlListener* listener = nullptr, std::int32_t tag = 0,
                  CBitmap* background = nullptr, std::int32_t style = 0);
    CParamDisplay(const CParamDisplay& other);
    ~CParamDisplay() override;

    void setFont(CFontRef font);
    CFontRef getFont() const { return font_; }
    void setFontColor(const CColor& color) { fontColor_ = color; setDirty(); }
    const CColor& getFontColor() const { return fontColor_; }
    void setBackColor(const CColor& color) { backColor_ = color; setDirty(); }
    const CColor& getBackColor() const { return backColor_; }
    void setFrameColor(const CColor& color) { frameColor_ = color; setDirty(); }
    const CColor& getFrameColor() const { return frameColor_; }
    void setHoriAlign(CHoriTxtAlign align) { align_ = align; setDirty(); }
    CHoriTxtAlign getHoriAlign() const { return align_; }
    void setStyle(std::int32_t style) { style_ = style; setDirty(); }
    std::int32_t getStyle() const { return style_; }
    // Where in the background bitmap the control's top left corner lies (the bitmap of the whole
    // window takes the control's own position, so the window's background shows).
    void setBackOffset(const CPoint& offset) { backOffset_ = offset; setDirty(); }
    const CPoint& getBackOffset() const { return backOffset_; }

    // The text shown for a value; without one the value is shown with two decimals.
    using ValueToText = std::function<std::string(float value)>;
    void setValueToTextFunction(ValueToText convert) { valueToText_ = std::move(convert); setDirty(); }
    // The text the control shows now.
    virtual std::string getDisplayText() const;

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CParamDisplay") == 0 || CControl::isTypeOf(type);
    }

protected:
    void drawBack(CDrawContext* context, CBitmap* bitmap);
    void drawText(CDrawContext* context, const std::string& text);
    std::string valueText() const;
    bool hasValueToText() const { return static_cast<bool>(valueToText_); }

private:
    CFontRef font_ = nullptr;
    CColor fontColor_ = kWhiteCColor;
    CColor backColor_ = kBlackCColor;
    CColor frameColor_ = kBlackCColor;
    CHoriTxtAlign align_ = kCenterText;
    std::int32_t style_;
    CPoint backOffset_;
    ValueToText valueToText_;
};
