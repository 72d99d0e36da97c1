// The text field's in-place editing and the option menu's popup, driven through a headless frame.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "toolkit/option_menu.h"
#include "toolkit/text_edit.h"
#include "toolkit_test_support.h"

using namespace toolkit_test;

namespace {

void type(CFrame& frame, const std::string& text) {
    for (char ch : text) {
        CKeyCode key{static_cast<unsigned char>(ch), 0, 0};
        frame.onKeyDown(key);
    }
}

void press(CFrame& frame, unsigned char virt) {
    CKeyCode key{0, virt, 0};
    frame.onKeyDown(key);
}

struct Window {
    TestEffect effect;
    TestEditor editor{&effect, CRect(0, 0, 300, 400)};
    RecordingListener listener;
    CFrame* frame = nullptr;
    Window() {
        editor.open(nullptr);
        frame = editor.getFrame();
    }
    void clickAt(CPoint p, CButtonState buttons = kLButton) {
        frame->onMouseDown(p, buttons);
        frame->onMouseUp(p, buttons);
    }
};

// A field showing decibels, accepting typed numbers limited to [-12, 0] dB.
CTextEdit* decibelField(CControlListener* listener) {
    auto* field = new CTextEdit(CRect(10, 10, 90, 24), listener, 4);
    field->setValueToTextFunction([](float v) {
        char text[16];
        std::snprintf(text, sizeof text, "%+.1fdB", (v - 1.0f) * 12.0f);
        return std::string(text);
    });
    field->setTextToValueFunction([](const char* text, float& v) {
        v = (std::strtof(text, nullptr) + 12.0f) / 12.0f;
        return true;
    });
    return field;
}

// "Program 7" (built with snprintf: g++ 12 warns falsely on a literal + std::to_string at -O2).
std::string programName(int k) {
    char name[24];
    std::snprintf(name, sizeof name, "Program %d", k);
    return name;
}

}  // namespace

TEST(TextEdit, TypingReplacesTheSelectedTextAndReturnCommitsItAsAValue) {
    Window w;
    CTextEdit* field = decibelField(&w.listener);
    w.frame->addView(field);
    field->setValue(1.0f);
    EXPECT_EQ(field->getText(), "+0.0dB");
    w.clickAt(CPoint(20, 15));
    ASSERT_TRUE(field->isInPlaceEditing());
    EXPECT_EQ(w.frame->getFocusView(), field);
    type(*w.frame, "-6");
    EXPECT_EQ(field->getEditText(), "-6");
    press(*w.frame, VKEY_RETURN);
    EXPECT_FALSE(field->isInPlaceEditing());
    EXPECT_EQ(w.frame->getFocusView(), nullptr);
    EXPECT_FLOAT_EQ(field->getValue(), 0.5f);
    EXPECT_EQ(field->getText(), "-6.0dB");
    ASSERT_EQ(w.listener.changes.size(), 1u);
    EXPECT_EQ(w.listener.changes[0].tag, 4);
}

TEST(TextEdit, ConvertedValuesAreLimitedToTheRangeAndARejectedTextChangesNothing) {
    Window w;
    CTextEdit* field = decibelField(&w.listener);
    w.frame->addView(field);
    w.clickAt(CPoint(20, 15));
    type(*w.frame, "+30");
    press(*w.frame, VKEY_ENTER);
    EXPECT_FLOAT_EQ(field->getValue(), 1.0f);

    field->setTextToValueFunction([](const char*, float&) { return false; });
    field->setValue(0.25f);
    w.clickAt(CPoint(20, 15));
    type(*w.frame, "junk");
    press(*w.frame, VKEY_RETURN);
    EXPECT_FLOAT_EQ(field->getValue(), 0.25f);
    EXPECT_EQ(w.listener.changes.size(), 1u);
}

TEST(TextEdit, EscapeGivesUpAndAClickElsewhereCommitsBeforeThatClickActs) {
    Window w;
    auto* name = new CTextEdit(CRect(10, 40, 110, 54), &w.listener, 1000, "Program 1");
    w.frame->addView(name);
    w.clickAt(CPoint(50, 45));
    type(*w.frame, "Gone");
    press(*w.frame, VKEY_ESCAPE);
    EXPECT_EQ(name->getText(), "Program 1");
    EXPECT_TRUE(w.listener.changes.empty());

    w.clickAt(CPoint(50, 45));
    press(*w.frame, VKEY_END);  // keeps the text, caret at its end
    press(*w.frame, VKEY_BACK);
    type(*w.frame, "2");
    w.clickAt(CPoint(250, 150));  // elsewhere
    EXPECT_EQ(name->getText(), "Program 2");
    ASSERT_EQ(w.listener.changes.size(), 1u);
    EXPECT_EQ(w.listener.changes[0].tag, 1000);
}

TEST(TextEdit, CaretKeysEditInsideTheTextAndTheLengthIsBounded) {
    Window w;
    auto* field = new CTextEdit(CRect(10, 10, 200, 24), &w.listener, 1, "abc");
    w.frame->addView(field);
    w.clickAt(CPoint(20, 15));
    press(*w.frame, VKEY_HOME);
    press(*w.frame, VKEY_RIGHT);
    press(*w.frame, VKEY_DELETE);
    type(*w.frame, "XY");
    press(*w.frame, VKEY_LEFT);
    press(*w.frame, VKEY_BACK);
    EXPECT_EQ(field->getEditText(), "aYc");
    CKeyCode control{7, 0, 0};  // control characters are not text
    w.frame->onKeyDown(control);
    EXPECT_EQ(field->getEditText(), "aYc");
    type(*w.frame, std::string(400, 'z'));
    EXPECT_EQ(field->getEditText().size(), CTextEdit::kMaxLength);
    press(*w.frame, VKEY_RETURN);
    field->setText(std::string(300, 'q').c_str());
    EXPECT_EQ(field->getText().size(), CTextEdit::kMaxLength);
}

TEST(TextEdit, KeysReachTheHostUnlessAFieldIsBeingEdited) {
    Window w;
    auto* field = new CTextEdit(CRect(10, 10, 90, 24), &w.listener, 1, "x");
    w.frame->addView(field);
    VstKeyCode space{' ', kVstKeySpace, 0};  // from the host, through the editor base
    CPoint over(20, 15);
    w.frame->onMouseMoved(over, 0);
    EXPECT_FALSE(w.editor.onKeyDown(space));
    w.clickAt(over);
    EXPECT_TRUE(w.editor.onKeyDown(space));
}

TEST(TextEdit, OverABitmapOnlyTheBitmapAndTextArePaintedWhileEditingUsesTheBackColour) {
    CBitmap* strip = makeStrip(100, 20, 2);
    CTextEdit field(CRect(0, 0, 100, 20), nullptr, 1, "", strip);
    strip->forget();
    field.setBackOffset(CPoint(0, 20));  // image 1 of the strip lies under the field
    field.setBackColor(CColor{1, 2, 3, 255});
    field.setFrameColor(CColor{200, 0, 0, 255});
    COffscreenContext c(100, 20);
    field.draw(&c);
    EXPECT_EQ(imageAt(c, 0, 0), 1);
    EXPECT_EQ(imageAt(c, 50, 2), 1);
    field.takeFocus();
    field.draw(&c);
    EXPECT_EQ(c.getPixel(0, 0), toPixel(CColor{200, 0, 0, 255}));
    EXPECT_EQ(c.getPixel(50, 2), toPixel(CColor{1, 2, 3, 255}));
}

TEST(OptionMenu, TheCurrentEntryIsTheValueRoundedToTheNearestIndexWithinTheList) {
    COptionMenu menu(CRect(0, 0, 20, 10), nullptr, 1012);
    for (int k = 0; k < 24; ++k) menu.addEntry(programName(k).c_str());
    EXPECT_FLOAT_EQ(menu.getMax(), 23.0f);
    menu.setValue(2.49f);
    EXPECT_EQ(menu.getCurrentIndex(), 2);
    menu.setValue(2.5f);
    EXPECT_EQ(menu.getCurrentIndex(), 3);
    menu.setValue(99.0f);
    EXPECT_EQ(menu.getCurrentIndex(), 23);
    EXPECT_FALSE(menu.setCurrent(24));
    EXPECT_TRUE(menu.setCurrent(5));
    menu.getEntry(5)->setTitle("Renamed");
    EXPECT_EQ(menu.getDisplayText(), "Renamed");
}

TEST(OptionMenu, AtTheWindowsBottomThePopupOpensUpwardsInColumnsAndAChoiceSetsTheValue) {
    Window w;
    auto* menu = new COptionMenu(CRect(200, 385, 213, 397), &w.listener, 1012);
    menu->setNbItemsPerColumn(12);
    for (int k = 0; k < 24; ++k) menu->addEntry(programName(k).c_str());
    w.frame->addView(menu);
    w.clickAt(CPoint(205, 390));
    CView* popup = w.frame->getPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(menu->isPopupOpen());
    const CRect list = popup->getViewSize();
    EXPECT_LE(list.bottom, 385);  // above the menu
    CRect inside = list;
    EXPECT_EQ(inside.bound(w.frame->getViewSize()), list);
    // Two columns of 12: the right column's first row is entry 12.
    const CPoint entry12(list.right - 10, list.top + 3 + 2);
    w.clickAt(entry12);
    EXPECT_EQ(w.frame->getPopup(), nullptr);
    EXPECT_FALSE(menu->isPopupOpen());
    ASSERT_EQ(w.listener.changes.size(), 1u);
    EXPECT_FLOAT_EQ(w.listener.changes[0].value, 12.0f);
    EXPECT_EQ(menu->getCurrentIndex(), 12);
}

TEST(OptionMenu, ClickingOutsideOrEscapeClosesThePopupWithoutChangeOrReachingTheViewsBelow) {
    Window w;
    auto* menu = new COptionMenu(CRect(10, 10, 60, 24), &w.listener, 3);
    menu->addEntry("one");
    menu->addEntry("two");
    auto* field = new CTextEdit(CRect(100, 150, 200, 170), &w.listener, 9, "below");
    w.frame->addView(menu);
    w.frame->addView(field);
    w.clickAt(CPoint(20, 15));
    ASSERT_NE(w.frame->getPopup(), nullptr);
    w.clickAt(CPoint(150, 160));
    EXPECT_EQ(w.frame->getPopup(), nullptr);
    EXPECT_FALSE(field->isInPlaceEditing());
    w.clickAt(CPoint(20, 15));
    press(*w.frame, VKEY_DOWN);
    press(*w.frame, VKEY_ESCAPE);
    EXPECT_EQ(w.frame->getPopup(), nullptr);
    EXPECT_TRUE(w.listener.changes.empty());
    w.clickAt(CPoint(20, 15));
    press(*w.frame, VKEY_DOWN);
    press(*w.frame, VKEY_RETURN);
    ASSERT_EQ(w.listener.changes.size(), 1u);
    EXPECT_EQ(menu->getCurrentIndex(), 1);
}

TEST(OptionMenu, TheNoDrawStyleLeavesTheWindowBackgroundVisible) {
    CBitmap* strip = makeStrip(20, 10, 2);
    COptionMenu menu(CRect(0, 0, 20, 10), nullptr, 1, strip, nullptr, 7680);  // no-text and no-draw among the bits
    COptionMenu shown(CRect(0, 0, 20, 10), nullptr, 1, strip);
    strip->forget();
    menu.addEntry("x");
    COffscreenContext c(20, 10, kWhiteCColor);
    menu.draw(&c);
    EXPECT_EQ(c.getPixel(5, 5), toPixel(kWhiteCColor));
    shown.draw(&c);
    EXPECT_EQ(imageAt(c, 0, 0), 0);
}
