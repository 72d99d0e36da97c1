// CTextEdit: a text field that the user edits in place from the keyboard.
#pragma once

#include <mutex>
#include <string>

#include "toolkit/param_display.h"

// Shows its text, or with a value-to-text function the text of its value. A left click gives it the
// keyboard focus and starts editing: the whole text is selected, typing replaces it, the arrow, Home
// and End keys move the caret, Backspace and Delete erase. Return, Enter, Tab or a click elsewhere
// commit; Escape gives up. While editing, the field is painted in its back colour with its frame, the
// text in the font colour. On commit, with a text-to-value function the text becomes the value (when
// the function accepts it, limited to the range), otherwise it becomes the field's text; then the
// listener is told.
//
// Threading: setText and getText may be called from any thread; the rest on the user-interface thread.
class CTextEdit : public CParamDisplay {
public:
    static constexpr std::size_t kMaxLength = 255;  // characters; longer texts are cut

    CTextEdit(const CRect& size, CControlListener* listener, std::int32_t tag, const char* text = nullptr,
              CBitmap* background = nullptr, std::int32_t style = 0);
    CTextEdit(const CTextEdit& other);

    void setText(const char* text);
    std::string getText() const;  // the text shown (the value's text when there is a value-to-text function)

    // Converts typed text into a value; returns false to reject the text (the value stays).
    using TextToValue = std::function<bool(const char* text, float& value)>;
    void setTextToValueFunction(TextToValue convert) { textToValue_ = std::move(convert); }

    bool isInPlaceEditing() const { return editing_; }
    const std::string& getEditText() const { return editText_; }
    // Starts or ends editing without the frame (the frame calls these through the focus).
    void takeFocus() override;
    void looseFocus() override;

    std::string getDisplayText() const override;
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool onKeyDown(CKeyCode& key) override;
    bool onKeyUp(CKeyCode& key) override { return editing_ && key.virt != VKEY_ESCAPE; }

    CView* newCopy() const override { return new CTextEdit(*this); }
    bool isTypeOf(const char* type) const override {
        return std::strcmp(type, "CTextEdit") == 0 || CParamDisplay::isTypeOf(type);
    }

private:
    void finishEditing(bool commit);
    void commit();
    std::size_t caretAt(const CPoint& where) const;
    CPoint editTextOrigin(CDrawContext* context) const;

    mutable std::mutex textMutex_;
    std::string text_;
    TextToValue textToValue_;
    bool editing_ = false;
    bool allSelected_ = false;
    std::string editText_;
    std::size_t caret_ = 0;
};
