// COptionMenu, its entries, and the list it opens over the window.
#include "toolkit/option_menu.h"

#include <algorithm>
#include <cmath>

#include "graphics/glyph_font.h"
#include "toolkit/bitmap.h"
#include "toolkit/frame.h"

CMenuItem::CMenuItem(const char* title, std::int32_t flags) : title_(title ? title : ""), flags_(flags) {}

void CMenuItem::setTitle(const char* title) {
    std::lock_guard<std::mutex> lock(mutex_);
    title_ = title ? title : "";
}

std::string CMenuItem::getTitle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return title_;
}

namespace {

// The open list: entries in columns, the current one marked, the one under the pointer highlighted.
class COptionMenuPopup : public CView {
public:
    COptionMenuPopup(COptionMenu* menu, const CRect& frameSize);
    ~COptionMenuPopup() override {
        if (menu_->isPopupOpen()) menu_->popupClosed(-1);  // closed by the frame, not by a choice
        menu_->forget();
    }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint&, const CButtonState&) override { return kMouseEventHandled; }
    bool onKeyDown(CKeyCode& key) override;

private:
    static constexpr CCoord kPadding = 3;     // around the list
    static constexpr CCoord kMarkWidth = 12;  // left of each title, where the current entry's mark sits
    static constexpr CColor kListColor{244, 244, 240, 255};
    static constexpr CColor kBorderColor{80, 80, 80, 255};
    static constexpr CColor kTextColor{20, 20, 20, 255};
    static constexpr CColor kDisabledColor{150, 150, 150, 255};
    static constexpr CColor kHighlightColor{50, 95, 160, 255};

    int rows() const;
    CRect entryRect(int index) const;
    int entryAt(const CPoint& where) const;
    void choose(int index);

    COptionMenu* menu_;
    CCoord rowHeight_ = 14;
    CCoord columnWidth_ = 0;
    int hover_ = -1;
};

COptionMenuPopup::COptionMenuPopup(COptionMenu* menu, const CRect& frameSize) : CView(CRect()), menu_(menu) {
    menu_->remember();
    const CFontRef font = menu->getFont() ? menu->getFont() : kNormalFontSmaller;
    rowHeight_ = font->glyphs().lineHeight + 3;
    columnWidth_ = menu->getWidth();
    for (int i = 0; i < menu->getNbEntries(); ++i)
        columnWidth_ = std::max(columnWidth_, font->getStringWidth(menu->getEntry(i)->getTitle().c_str()) + kMarkWidth + 8);
    const int columns = (menu->getNbEntries() + rows() - 1) / rows();
    const CCoord width = columns * columnWidth_ + 2 * kPadding;
    const CCoord height = rows() * rowHeight_ + 2 * kPadding;
    // Below the menu when it fits, else above it; always inside the window.
    const CRect& at = menu->getViewSize();
    CCoord top = at.bottom + height <= frameSize.bottom ? at.bottom : at.top - height;
    top = std::clamp(top, frameSize.top, std::max(frameSize.top, frameSize.bottom - height));
    CCoord left = std::clamp(at.left, frameSize.left, std::max(frameSize.left, frameSize.right - width));
    setViewSize(CRect(CPoint(left, top), width, height), false);
    hover_ = menu->getCurrentIndex();
}

int COptionMenuPopup::rows() const {
    const int perColumn = menu_->getNbItemsPerColumn();
    return std::max(1, perColumn > 0 ? std::min(perColumn, menu_->getNbEntries()) : menu_->getNbEntries());
}

CRect COptionMenuPopup::entryRect(int index) const {
    const int column = index / rows();
    const int row = index % rows();
    return CRect(CPoint(size.left + kPadding + column * columnWidth_, size.top + kPadding + row * rowHeight_),
                 columnWidth_, rowHeight_);
}

int COptionMenuPopup::entryAt(const CPoint& where) const {
    for (int i = 0; i < menu_->getNbEntries(); ++i)
        if (entryRect(i).pointInside(where)) return i;
    return -1;
}

void COptionMenuPopup::draw(CDrawContext* context) {
    context->setFillColor(kListColor);
    context->setFrameColor(kBorderColor);
    context->setLineWidth(1);
    context->drawRect(size, kDrawFilledAndStroked);
    context->setFont(menu_->getFont() ? menu_->getFont() : kNormalFontSmaller);
    const int current = menu_->getCurrentIndex();
    for (int i = 0; i < menu_->getNbEntries(); ++i) {
        const CMenuItem* item = menu_->getEntry(i);
        const CRect r = entryRect(i);
        if (item->isSeparator()) {
            context->setFrameColor(kDisabledColor);
            context->drawLine(CPoint(r.left + 2, r.top + r.getHeight() / 2), CPoint(r.right - 3, r.top + r.getHeight() / 2));
            continue;
        }
        const bool highlighted = i == hover_ && item->isSelectable();
        if (highlighted) {
            context->setFillColor(kHighlightColor);
            context->fillRect(r);
        }
        const CColor textColor = highlighted ? kListColor : item->isEnabled() ? kTextColor : kDisabledColor;
        if (i == current || item->isChecked()) {  // a small square marks the current entry
            context->setFillColor(textColor);
            const CCoord mid = r.top + r.getHeight() / 2;
            context->fillRect(CRect(r.left + 3, mid - 2, r.left + 7, mid + 2));
        }
        context->setFontColor(textColor);
        context->drawString(item->getTitle().c_str(), CRect(r.left + kMarkWidth - 2, r.top, r.right, r.bottom), kLeftText);
    }
    setDirty(false);
}

void COptionMenuPopup::choose(int index) {
    remember();
    if (CFrame* frame = getFrame()) frame->closePopup();
    menu_->popupClosed(index);
    forget();
}

CMouseEventResult COptionMenuPopup::onMouseDown(CPoint& where, const CButtonState&) {
    if (!size.pointInside(where)) {
        choose(-1);
        return kMouseEventHandled;
    }
    const int index = entryAt(where);
    if (index >= 0 && menu_->getEntry(index)->isSelectable()) choose(index);
    return kMouseEventHandled;
}

CMouseEventResult COptionMenuPopup::onMouseMoved(CPoint& where, const CButtonState&) {
    const int index = entryAt(where);
    if (index != hover_) {
        hover_ = index;
        setDirty();
    }
    return kMouseEventHandled;
}

bool COptionMenuPopup::onKeyDown(CKeyCode& key) {
    const int count = menu_->getNbEntries();
    auto move = [&](int step) {
        for (int i = 1; i <= count; ++i) {
            const int candidate = ((hover_ < 0 ? (step > 0 ? -1 : 0) : hover_) + step * i + count) % count;
            if (menu_->getEntry(candidate)->isSelectable()) {
                hover_ = candidate;
                setDirty();
                return;
            }
        }
    };
    switch (key.virt) {
        case VKEY_ESCAPE: choose(-1); break;
        case VKEY_UP: move(-1); break;
        case VKEY_DOWN: move(1); break;
        case VKEY_RETURN:
        case VKEY_ENTER:
            if (hover_ >= 0 && menu_->getEntry(hover_)->isSelectable()) choose(hover_);
            break;
        default: break;
    }
    return true;  // the open list takes every key
}

}  // namespace

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background,
                         CBitmap* bgWhenClick, std::int32_t style)
    : CParamDisplay(size, listener, tag, background, style), bgWhenClick_(bgWhenClick) {
    if (bgWhenClick_) bgWhenClick_->remember();
    updateRange();
}

COptionMenu::~COptionMenu() {
    removeAllEntry();
    if (bgWhenClick_) bgWhenClick_->forget();
}

void COptionMenu::updateRange() {
    vmin = 0.0f;
    vmax = static_cast<float>(std::max(0, getNbEntries() - 1));
}

CMenuItem* COptionMenu::addEntry(CMenuItem* item, std::int32_t index) {
    if (!item) return nullptr;
    if (index < 0 || index > getNbEntries()) entries_.push_back(item);
    else entries_.insert(entries_.begin() + index, item);
    updateRange();
    setDirty();
    return item;
}

CMenuItem* COptionMenu::addEntry(const char* title, std::int32_t index, std::int32_t flags) {
    return addEntry(new CMenuItem(title, flags), index);
}

CMenuItem* COptionMenu::addSeparator() { return addEntry(new CMenuItem("", CMenuItem::kSeparator)); }

bool COptionMenu::removeEntry(std::int32_t index) {
    if (index < 0 || index >= getNbEntries()) return false;
    delete entries_[static_cast<std::size_t>(index)];
    entries_.erase(entries_.begin() + index);
    updateRange();
    setDirty();
    return true;
}

void COptionMenu::removeAllEntry() {
    for (CMenuItem* item : entries_) delete item;
    entries_.clear();
    updateRange();
    setDirty();
}

CMenuItem* COptionMenu::getEntry(std::int32_t index) const {
    return index >= 0 && index < getNbEntries() ? entries_[static_cast<std::size_t>(index)] : nullptr;
}

bool COptionMenu::setCurrent(std::int32_t index) {
    if (index < 0 || index >= getNbEntries()) return false;
    setValue(static_cast<float>(index));
    return true;
}

std::int32_t COptionMenu::getCurrentIndex() const {
    if (getNbEntries() == 0) return -1;
    const float v = getValue();
    const auto index = std::isfinite(v) ? static_cast<std::int32_t>(std::floor(v + 0.5f)) : 0;
    return std::clamp(index, 0, getNbEntries() - 1);
}

void COptionMenu::popupClosed(std::int32_t index) {
    popupOpen_ = false;
    setDirty();
    if (!setCurrent(index)) return;
    valueChanged();
}

std::string COptionMenu::getDisplayText() const {
    const CMenuItem* item = getCurrentEntry();
    return item ? item->getTitle() : std::string();
}

void COptionMenu::draw(CDrawContext* context) {
    setDirty(false);
    if (getStyle() & kNoDrawStyle) return;
    drawBack(context, popupOpen_ && bgWhenClick_ ? bgWhenClick_ : pBackground);
    if (!(getStyle() & kNoTextStyle)) drawText(context, getDisplayText());
}

CMouseEventResult COptionMenu::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    openPopup();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void COptionMenu::openPopup() {
    CFrame* frame = getFrame();
    if (!frame || getNbEntries() == 0) return;
    popupOpen_ = true;
    setDirty();
    frame->openPopup(new COptionMenuPopup(this, frame->getViewSize()));
    if (frame->getPopup() == nullptr) popupOpen_ = false;
}
