// The frame's event routing and redraw, and the editor's window life and cross-thread view access.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "toolkit/text_edit.h"
#include "toolkit_test_support.h"

using namespace toolkit_test;

namespace {

// Records what reaches it; fills its rectangle with its colour when drawn.
class ProbeView : public CView {
public:
    ProbeView(const CRect& size, CColor color, CMouseEventResult downResult = kMouseEventHandled)
        : CView(size), color_(color), downResult_(downResult) {}
    void draw(CDrawContext* context) override {
        ++draws;
        context->setFillColor(color_);
        context->fillRect(size);
        setDirty(false);
    }
    CMouseEventResult onMouseDown(CPoint&, const CButtonState&) override {
        ++downs;
        if (removeOnDown) getParentView()->removeView(this);  // a handler that removes its own view
        return downResult_;
    }
    CMouseEventResult onMouseUp(CPoint&, const CButtonState&) override {
        ++ups;
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseMoved(CPoint&, const CButtonState&) override {
        ++moves;
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseEntered(CPoint&, const CButtonState&) override {
        ++entered;
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseExited(CPoint&, const CButtonState&) override {
        ++exited;
        return kMouseEventHandled;
    }
    int draws = 0, downs = 0, ups = 0, moves = 0, entered = 0, exited = 0;
    bool removeOnDown = false;

private:
    CColor color_;
    CMouseEventResult downResult_;
};

constexpr CColor kA{200, 10, 10, 255};
constexpr CColor kB{10, 200, 10, 255};

struct Window {
    TestEffect effect;
    TestEditor editor{&effect};
    CFrame* frame = nullptr;
    Window() {
        editor.open(nullptr);
        frame = editor.getFrame();
    }
};

}  // namespace

TEST(Frame, MouseDownGoesToTheTopmostViewAndFallsThroughWhenNotHandled) {
    Window w;
    auto* below = new ProbeView(CRect(0, 0, 50, 50), kA);
    auto* above = new ProbeView(CRect(20, 20, 80, 80), kB, kMouseEventNotHandled);
    w.frame->addView(below);
    w.frame->addView(above);
    CPoint overlap(30, 30);
    EXPECT_EQ(w.frame->onMouseDown(overlap, kLButton), kMouseEventHandled);
    EXPECT_EQ(above->downs, 1);
    EXPECT_EQ(below->downs, 1);
    // The view that took the press gets the moves and the release, wherever the pointer goes.
    CPoint far(150, 90);
    w.frame->onMouseMoved(far, kLButton);
    w.frame->onMouseUp(far, kLButton);
    EXPECT_EQ(below->moves, 1);
    EXPECT_EQ(below->ups, 1);
    EXPECT_EQ(above->ups, 0);
}

TEST(Frame, HoverEntersAndExitsAsThePointerCrossesViewsAndLeavesTheWindow) {
    Window w;
    auto* a = new ProbeView(CRect(0, 0, 50, 50), kA);
    auto* b = new ProbeView(CRect(60, 0, 110, 50), kB);
    w.frame->addView(a);
    w.frame->addView(b);
    CPoint inA(10, 10), inA2(20, 20), inB(70, 10), nowhere(-1, -1);
    w.frame->onMouseMoved(inA, 0);
    w.frame->onMouseMoved(inA2, 0);
    w.frame->onMouseMoved(inB, 0);
    EXPECT_EQ(a->entered, 1);
    EXPECT_EQ(a->exited, 1);
    EXPECT_EQ(a->moves, 2);
    w.frame->onMouseExited(nowhere, 0);
    EXPECT_EQ(b->entered, 1);
    EXPECT_EQ(b->exited, 1);
}

TEST(Frame, IdleRedrawsOnlyDirtyViewsOverTheBackgroundAndInvisibleOrEmptyViewsNever) {
    Window w;
    w.frame->setBackgroundColor(kWhiteCColor);
    auto* a = new ProbeView(CRect(0, 0, 50, 50), kA);
    auto* b = new ProbeView(CRect(60, 0, 110, 50), kB);
    w.frame->addView(a);
    w.frame->addView(b);
    w.frame->idle();  // the first pass draws everything
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 1);
    CDrawContext* pixels = w.frame->getBackBuffer();
    EXPECT_EQ(pixels->getPixel(55, 5), toPixel(kWhiteCColor));
    EXPECT_EQ(pixels->getPixel(70, 5), toPixel(kB));
    w.frame->idle();
    EXPECT_EQ(a->draws, 1);
    b->invalid();
    w.frame->idle();
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 2);
    b->setVisible(false);
    w.frame->idle();
    EXPECT_EQ(pixels->getPixel(70, 5), toPixel(kWhiteCColor));  // what it covered shows again
    a->setViewSize(CRect());
    w.frame->idle();
    EXPECT_EQ(pixels->getPixel(5, 5), toPixel(kWhiteCColor));
    w.frame->setDirty();
    w.frame->idle();
    EXPECT_EQ(b->draws, 2);
    EXPECT_EQ(a->draws, 1);
}

// Tooltips: shown after the pointer rests over a view for the delay, drawn over the views, kept inside
// the window, hidden (and the views beneath redrawn) when the pointer moves on, clicks or leaves.
TEST(Frame, ATooltipAppearsAfterTheDelayOverItsViewAndGoesWithTheNextMoveOrClick) {
    Window w;
    std::uint32_t now = 5000;
    w.frame->setClock([&now] { return now; });
    w.frame->setBackgroundColor(kWhiteCColor);
    auto* a = new ProbeView(CRect(0, 0, 50, 50), kA);
    auto* b = new ProbeView(CRect(60, 0, 200, 100), kB);
    auto* silent = new ProbeView(CRect(0, 60, 50, 100), kA);
    a->setTooltipText("Alpha");
    b->setTooltipText("Beta: a longer line of help that would run out of the window");
    w.frame->addView(a);
    w.frame->addView(b);
    w.frame->addView(silent);
    const CTooltip& tip = w.frame->getTooltip();
    CDrawContext* pixels = w.frame->getBackBuffer();

    CPoint inA(10, 10), inA2(30, 30), inB(190, 90), inSilent(10, 70);
    w.frame->onMouseMoved(inA, 0);
    now += CTooltip::kDelayMs - 1;
    w.frame->idle();
    EXPECT_FALSE(tip.isShown());
    w.frame->onMouseMoved(inA2, 0);  // moving within the view keeps the wait
    now += 1;
    w.frame->idle();
    ASSERT_TRUE(tip.isShown());
    EXPECT_EQ(tip.getText(), "Alpha");
    const CRect box = tip.getBox();
    EXPECT_EQ(box.getTopLeft(), CPoint(30 + 10, 30 + 20)) << "below and right of where the pointer rests";
    EXPECT_EQ(pixels->getPixel(box.left, box.top), toPixel(CColor{140, 146, 152, 255}));  // its edge, over a
    EXPECT_EQ(pixels->getPixel(box.left + 2, box.bottom - 2), toPixel(CColor{36, 37, 39, 255}));

    // Another view: the box goes at once, what it covered is drawn again, and the delay restarts there.
    w.frame->onMouseMoved(inB, 0);
    now += 100;
    w.frame->idle();
    EXPECT_FALSE(tip.isShown());
    EXPECT_EQ(pixels->getPixel(box.left + 2, box.bottom - 2), toPixel(kA));
    now += CTooltip::kDelayMs;
    w.frame->idle();
    ASSERT_TRUE(tip.isShown());
    const CRect wide = tip.getBox();
    EXPECT_GE(wide.left, 0);
    EXPECT_LE(wide.right, 200) << "kept inside the window, the text cut at its edge";
    EXPECT_LT(wide.bottom, 90) << "above the pointer when there is no room below";

    // A click dismisses it until the pointer goes to another view.
    w.frame->onMouseDown(inB, kLButton);
    w.frame->onMouseUp(inB, 0);
    now += 2 * CTooltip::kDelayMs;
    w.frame->idle();
    EXPECT_FALSE(tip.isShown());

    // A view without text shows nothing; leaving the window stops the wait.
    w.frame->onMouseMoved(inSilent, 0);
    now += 2 * CTooltip::kDelayMs;
    w.frame->idle();
    EXPECT_FALSE(tip.isShown());
    w.frame->onMouseMoved(inA, 0);
    CPoint outside(-1, -1);
    w.frame->onMouseExited(outside, 0);
    now += 2 * CTooltip::kDelayMs;
    w.frame->idle();
    EXPECT_FALSE(tip.isShown());

    // Removing the view under a waiting pointer leaves nothing behind that refers to it.
    w.frame->onMouseMoved(inA, 0);
    w.frame->removeView(a);
    now += 2 * CTooltip::kDelayMs;
    w.frame->idle();
    EXPECT_FALSE(tip.isShown());
}

TEST(Frame, AViewRemovedByItsOwnHandlerIsNotTouchedAgain) {
    Window w;
    auto* doomed = new ProbeView(CRect(0, 0, 50, 50), kA);
    doomed->removeOnDown = true;
    doomed->remember();  // keep it readable for the test
    w.frame->addView(doomed);
    CPoint at(10, 10);
    w.frame->onMouseDown(at, kLButton);
    w.frame->onMouseMoved(at, kLButton);
    w.frame->onMouseUp(at, kLButton);
    EXPECT_EQ(doomed->moves, 0);
    EXPECT_EQ(doomed->ups, 0);
    EXPECT_EQ(doomed->getNbReference(), 1);
    doomed->forget();
}

TEST(Frame, KeysGoToTheFocusViewElseToTheViewUnderThePointer) {
    Window w;
    auto* field = new CTextEdit(CRect(0, 0, 80, 14), nullptr, 1, "x");
    w.frame->addView(field);
    CKeyCode a{'a', 0, 0};
    EXPECT_FALSE(w.frame->onKeyDown(a));  // the pointer is nowhere
    w.frame->setFocusView(field);
    EXPECT_TRUE(w.frame->onKeyDown(a));
    EXPECT_EQ(field->getEditText(), "a");
    w.frame->removeView(field);  // the focus does not outlive the view
    EXPECT_EQ(w.frame->getFocusView(), nullptr);
}

TEST(Editor, OpeningAgainWithoutCloseReplacesTheWindowAndCloseIsSafeAnyTimes) {
    TestEffect effect;
    TestEditor editor(&effect);
    editor.close();  // close without open
    EXPECT_FALSE(editor.isOpen());
    editor.open(nullptr);
    CFrame* first = editor.getFrame();
    first->remember();
    editor.open(nullptr);
    EXPECT_NE(editor.getFrame(), first);
    EXPECT_EQ(first->getNbReference(), 1);  // the editor let go of the first frame
    EXPECT_EQ(first->getNbViews(), 0);
    first->forget();
    editor.close();
    editor.close();
    EXPECT_EQ(editor.getFrame(), nullptr);
    ERect* r = nullptr;
    EXPECT_TRUE(editor.getRect(&r));
    EXPECT_EQ(r->right, 200);
    EXPECT_TRUE(editor.setKnobMode(kLinearMode));
    EXPECT_EQ(editor.getKnobMode(), kLinearMode);
}

TEST(Editor, ViewAccessIsGrantedOnlyWhileTheWindowIsOpenAndReady) {
    TestEffect effect;
    TestEditor editor(&effect);
    EXPECT_FALSE(AEffGUIEditor::ViewAccess(editor));
    editor.open(nullptr);
    EXPECT_TRUE(AEffGUIEditor::ViewAccess(editor));
    editor.close();
    EXPECT_FALSE(AEffGUIEditor::ViewAccess(editor));
}

TEST(Editor, CloseWaitsForAnotherThreadThatIsTouchingTheViews) {
    TestEffect effect;
    TestEditor editor(&effect);
    editor.open(nullptr);
    auto* control = new CControl(CRect(0, 0, 10, 10));
    editor.getFrame()->addView(control);
    std::atomic<bool> inside{false};
    std::atomic<bool> closed{false};
    std::atomic<bool> touchedAfterClose{false};
    std::thread audio([&] {
        AEffGUIEditor::ViewAccess views(editor);
        ASSERT_TRUE(views);
        inside = true;
        for (int i = 0; i < 50; ++i) {
            control->setValue(static_cast<float>(i) / 50.0f);
            if (closed) touchedAfterClose = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    while (!inside) std::this_thread::yield();
    editor.close();
    closed = true;
    audio.join();
    EXPECT_FALSE(touchedAfterClose);
}

TEST(Editor, ParameterChangesFromAnotherThreadDuringIdleAndCloseAreSafe) {
    TestEffect effect;
    TestEditor editor(&effect);
    std::atomic<bool> stop{false};
    editor.build = [](CFrame* frame) { frame->addView(new CControl(CRect(0, 0, 10, 10))); };
    std::thread audio([&] {
        while (!stop) {
            AEffGUIEditor::ViewAccess views(editor);
            if (views && editor.getFrame() && editor.getFrame()->getNbViews() > 0)
                static_cast<CControl*>(editor.getFrame()->getView(0))->setValue(0.5f);
        }
    });
    for (int round = 0; round < 50; ++round) {
        editor.open(nullptr);
        editor.idle();
        editor.close();
    }
    stop = true;
    audio.join();
}

TEST(Editor, DestroyingTheEditorWithItsWindowOpenClosesTheWindow) {
    TestEffect effect;
    auto* editor = new TestEditor(&effect);
    editor->open(nullptr);
    CFrame* frame = editor->getFrame();
    frame->remember();
    delete editor;
    EXPECT_EQ(frame->getNbReference(), 1);
    EXPECT_FALSE(frame->isOpen());
    frame->forget();
}

TEST(Editor, TheHostsEditorOpcodesReachTheToolkitThroughTheDispatcher) {
    TestEffect effect;
    auto* editor = new TestEditor(&effect);
    effect.setEditor(editor);  // the effect owns it from here
    CTextEdit* field = nullptr;
    editor->build = [&field](CFrame* frame) {
        field = new CTextEdit(CRect(0, 0, 80, 14), nullptr, 1, "");
        frame->addView(field);
    };
    ERect* r = nullptr;
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &r, 0.0f), 1);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->bottom, 100);
    EXPECT_EQ(effect.dispatcher(effEditOpen, 0, 0, nullptr, 0.0f), 1);
    ASSERT_NE(editor->getFrame(), nullptr);
    EXPECT_EQ(effect.dispatcher(effSetEditKnobMode, 0, kLinearMode, nullptr, 0.0f), 1);
    EXPECT_EQ(editor->getFrame()->getKnobMode(), kLinearMode);
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);  // nobody wants it: the host's
    editor->getFrame()->setFocusView(field);
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 'a', 0, nullptr, 0.0f), 1);
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 0, kVstKeyReturn, nullptr, 0.0f), 1);
    EXPECT_EQ(field->getText(), "a");
    effect.dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);
    EXPECT_FALSE(field->isDirty());
    effect.dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(editor->getFrame(), nullptr);
    effect.dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);  // idle after close does nothing
}

// The host's key codes are the standard's; the views see the toolkit's own, whatever their numbers.
TEST(Editor, KeysFromTheHostReachTheFocusedViewInTheToolkitsCodes) {
    struct KeyProbe : CView {
        using CView::CView;
        bool onKeyDown(CKeyCode& key) override {
            seen.push_back(key);
            return true;
        }
        std::vector<CKeyCode> seen;
    };
    TestEffect effect;
    auto* editor = new TestEditor(&effect);
    effect.setEditor(editor);
    KeyProbe* probe = nullptr;
    editor->build = [&probe](CFrame* frame) {
        probe = new KeyProbe(CRect(0, 0, 10, 10));
        frame->addView(probe);
    };
    ASSERT_EQ(effect.dispatcher(effEditOpen, 0, 0, nullptr, 0.0f), 1);
    editor->getFrame()->setFocusView(probe);
    effect.dispatcher(effEditKeyDown, 0, kVstKeyF1 + 4, nullptr, kVstModifierShift | kVstModifierControl);
    effect.dispatcher(effEditKeyDown, 0, kVstKeyEquals, nullptr, kVstModifierAlternate);
    effect.dispatcher(effEditKeyDown, 0, kVstKeyPageDown, nullptr, kVstModifierCommand);
    effect.dispatcher(effEditKeyDown, '1', 25, nullptr, 0.0f);  // a key the toolkit has no code for
    ASSERT_EQ(probe->seen.size(), 4u);
    EXPECT_EQ(probe->seen[0].virt, VKEY_F1 + 4);
    EXPECT_EQ(probe->seen[0].modifier, MODIFIER_SHIFT | MODIFIER_CONTROL);
    EXPECT_EQ(probe->seen[1].virt, VKEY_EQUALS);
    EXPECT_EQ(probe->seen[1].modifier, MODIFIER_ALTERNATE);
    EXPECT_EQ(probe->seen[2].virt, VKEY_PAGEDOWN);
    EXPECT_EQ(probe->seen[2].modifier, MODIFIER_COMMAND);
    EXPECT_EQ(probe->seen[3].virt, 0);
    EXPECT_EQ(probe->seen[3].character, '1');
    effect.dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
}
