// COptionMenu: a control whose value is the index of the chosen entry of a list, shown in its own popup.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "toolkit/param_display.h"

// One entry of an option menu. The title may be changed from any thread (a program renamed by the host).
class CMenuItem {
public:
    enum Flags : std::int32_t { kNoFlags = 0, kDisabled = 1 << 0, kChecked = 1 << 1, kSeparator = 1 << 2 };

    explicit CMenuItem(const char* title, std::int32_t flags = kNoFlags);

    void setTitle(const char* title);
    std::string getTitle() const;
    bool isEnabled() const { return !(flags_ & kDisabled); }
    void setEnabled(bool state) { flags_ = state ? (flags_ & ~kDisabled) : (flags_ | kDisabled); }
    bool isChecked() const { return flags_ & kChecked; }
    void setChecked(bool state) { flags_ = state ? (flags_ | kChecked) : (flags_ & ~kChecked); }
    bool isSeparator() const { return flags_ & kSeparator; }
    // An entry the user can choose.
    bool isSelectable() const { return isEnabled() && !isSeparator(); }

private:
    mutable std::mutex mutex_;
    std::string title_;
    std::int32_t flags_;
};

// A left click opens the list over the window, in columns of at most nbItemsPerColumn entries (all in
// one column when it is 0 or less). Choosing an entry sets the value to its index and tells the
// listener; a click outside the list, or Escape, closes it without change. Shows the current entry's
// title unless the style forbids (kNoTextStyle, kNoDrawStyle). The control owns its entries; entries
// are added and removed on the user-interface thread.
class COptionMenu : public CParamDisplay {
public:
    COptionMenu(const CRect& size, CControlListener* listener, std::int32_t tag, CBitmap* background = nullptr,
                CBitmap* bgWhenClick = nullptr, std::int32_t style = 0);
    ~COptionMenu() override;
    COptionMenu(const COptionMenu&) = delete;

    CMenuItem* addEntry(const char* title, std::int32_t index = -1, std::int32_t flags = CMenuItem::kNoFlags);
    CMenuItem* addEntry(CMenuItem* item, std::int32_t index = -1);  // takes ownership
    CMenuItem* addSeparator();
    bool removeEntry(std::int32_t index);
    void removeAllEntry();
    std::int32_t getNbEntries() const { return static_cast<std::int32_t>(entries_.size()); }
    CMenuItem* getEntry(std::int32_t index) const;

    // Makes entry index current (sets the value); false for an index outside the list.
    bool setCurrent(std::int32_t index);
    // The current entry: the value rounded to the nearest index, limited to the list.
    std::int32_t getCurrentIndex() const;
    CMenuItem* getCurrentEntry() const { return getEntry(getCurrentIndex()); }

    void setNbItemsPerColumn(std::int32_t count) { itemsPerColumn_ = count; }
    std::int32_t getNbItemsPerColumn() const { return itemsPerColumn_; }

    bool isPopupOpen() const { return popupOpen_; }
    // Opens the list as a left click does (for a menu offered by another control's click).
    void openPopup();
    // Called by the list: the user chose entry index (the value becomes it, the listener is told), or
    // closed the list without a choice (index -1).
    void popupClosed(std::int32_t index);

    std::string getDisplayText() const override;
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "COptionMenu") == 0 || CParamDisplay::isTypeOf(type);
    }

private:
    void updateRange();

    std::vector<CMenuItem*> entries_;
    CBitmap* bgWhenClick_;
    std::int32_t itemsPerColumn_ = 0;
    bool popupOpen_ = false;
};
