// In-place text editing: caret, selection, commit and cancel.
#include "toolkit/text_edit.h"

#include <algorithm>
#include <cstdlib>

#include "graphics/glyph_font.h"
#include "toolkit/frame.h"

namespace {

constexpr CCoord kTextInset = 2;  // as the draw context keeps left and right aligned text off the edge

std::string cut(const char* text) {
    std::string s = text ? text : "";
    if (s.size() > CTextEdit::kMaxLength) s.resize(CTextEdit::kMaxLength);
    return s;
}

}  // namespace

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, std::int32_t tag, const char* text,
                     CBitmap* background, std::int32_t style)
    : CParamDisplay(size, listener, tag, background, style), text_(cut(text)) {}

CTextEdit::CTextEdit(const CTextEdit& other)
    : CParamDisplay(other), text_(other.getText()), textToValue_(other.textToValue_) {}

void CTextEdit::setText(const char* text) {
    {
        std::lock_guard<std::mutex> lock(textMutex_);
        text_ = cut(text);
    }
    setDirty();
}

std::string CTextEdit::getText() const { return getDisplayText(); }

// A field that converts values shows its value; a plain text field its text.
std::string CTextEdit::getDisplayText() const {
    if (hasValueToText()) return valueText();
    std::lock_guard<std::mutex> lock(textMutex_);
    return text_;
}

void CTextEdit::takeFocus() {
    if (editing_) return;
    editing_ = true;
    editText_ = cut(getDisplayText().c_str());
    caret_ = editText_.size();
    allSelected_ = true;
    setDirty();
}

void CTextEdit::looseFocus() {
    if (editing_) finishEditing(true);
}

void CTextEdit::finishEditing(bool commitText) {
    if (!editing_) return;
    editing_ = false;
    allSelected_ = false;
    setDirty();
    remember();  // the listener may remove the field
    if (commitText) commit();
    if (CFrame* frame = getFrame(); frame && frame->getFocusView() == this) frame->setFocusView(nullptr);
    forget();
}

void CTextEdit::commit() {
    if (textToValue_) {
        float value = getValue();
        if (!textToValue_(editText_.c_str(), value)) return;
        setValue(value);
        bounceValue();
    } else {
        setText(editText_.c_str());
    }
    valueChanged();
}

CMouseEventResult CTextEdit::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    if (editing_) {
        caret_ = caretAt(where);
        allSelected_ = false;
        setDirty();
    } else if (CFrame* frame = getFrame()) {
        frame->setFocusView(this);
    } else {
        takeFocus();
    }
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool CTextEdit::onKeyDown(CKeyCode& key) {
    if (!editing_) return false;
    auto eraseSelection = [this] {
        if (!allSelected_) return false;
        editText_.clear();
        caret_ = 0;
        allSelected_ = false;
        return true;
    };
    switch (key.virt) {
        case VKEY_RETURN:
        case VKEY_ENTER:
        case VKEY_TAB: finishEditing(true); return true;
        case VKEY_ESCAPE: finishEditing(false); return true;
        case VKEY_BACK:
            if (!eraseSelection() && caret_ > 0) editText_.erase(--caret_, 1);
            break;
        case VKEY_DELETE:
            if (!eraseSelection() && caret_ < editText_.size()) editText_.erase(caret_, 1);
            break;
        case VKEY_LEFT:
            if (caret_ > 0 && !allSelected_) --caret_;
            allSelected_ = false;
            break;
        case VKEY_RIGHT:
            if (caret_ < editText_.size() && !allSelected_) ++caret_;
            allSelected_ = false;
            break;
        case VKEY_HOME: caret_ = 0; allSelected_ = false; break;
        case VKEY_END: caret_ = editText_.size(); allSelected_ = false; break;
        default: {
            const auto ch = static_cast<unsigned char>(key.character);
            if (ch < 32 || ch == 127) break;  // control characters are not text
            eraseSelection();
            if (editText_.size() < kMaxLength) editText_.insert(caret_++, 1, static_cast<char>(ch));
            break;
        }
    }
    setDirty();
    return true;  // an editing field keeps every key from the host
}

// Where the edited text starts: as the field aligns it, moved left when the caret would leave the field.
CPoint CTextEdit::editTextOrigin(CDrawContext* context) const {
    CPoint origin = context->textOrigin(editText_.c_str(), size, getHoriAlign());
    const CCoord caretX = origin.x + context->getStringWidth(editText_.substr(0, caret_).c_str());
    if (caretX > size.right - kTextInset) origin.x -= caretX - (size.right - kTextInset);
    return origin;
}

std::size_t CTextEdit::caretAt(const CPoint& where) const {
    COffscreenContext measure(1, 1);
    measure.setFont(getFont());
    const CPoint origin = editTextOrigin(&measure);
    std::size_t best = 0;
    CCoord bestDistance = std::abs(where.x - origin.x);
    for (std::size_t i = 1; i <= editText_.size(); ++i) {
        const CCoord x = origin.x + measure.getStringWidth(editText_.substr(0, i).c_str());
        if (std::abs(where.x - x) < bestDistance) {
            best = i;
            bestDistance = std::abs(where.x - x);
        }
    }
    return best;
}

void CTextEdit::draw(CDrawContext* context) {
    if (!editing_) {
        CParamDisplay::draw(context);
        return;
    }
    setDirty(false);
    context->setFillColor(getBackColor());
    context->setFrameColor(getFrameColor());
    context->setLineWidth(1);
    context->drawRect(size, kDrawFilledAndStroked);
    context->setFont(getFont());
    const CPoint origin = editTextOrigin(context);
    const CCoord width = context->getStringWidth(editText_.c_str());
    const CCoord caretX = origin.x + context->getStringWidth(editText_.substr(0, caret_).c_str());
    const graphics::GlyphFont* glyphs = getFont() ? &getFont()->glyphs() : nullptr;
    const CCoord ascent = glyphs ? glyphs->ascent : 8;
    const CCoord descent = glyphs ? glyphs->descent : 2;
    const CRect oldClip = context->getClipRect();
    CRect inside = size;
    inside.inset(1, 1);
    inside.bound(oldClip);
    context->setClipRect(inside);
    if (allSelected_ && width > 0) {  // the selection: inverted colours
        context->setFillColor(getFontColor());
        context->fillRect(CRect(origin.x, origin.y - ascent, origin.x + width, origin.y + descent));
        context->setFontColor(getBackColor());
    } else {
        context->setFontColor(getFontColor());
    }
    context->drawString(editText_.c_str(), origin);
    if (!allSelected_) {
        context->setFrameColor(getFontColor());
        context->drawLine(CPoint(caretX, origin.y - ascent), CPoint(caretX, origin.y + descent - 1));
    }
    context->setClipRect(oldClip);
}
