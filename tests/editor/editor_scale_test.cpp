// The editor's size: the window reported to the host at 100, 150 and 200 %, the stored choice against
// the host's content-scale hint, the size menu on the info spot, and a window rebuilt at once where the
// host can resize it.
#include <cmath>

#include "editor/control_layout.h"
#include "editor/editor_scale.h"
#include "editor/info_panel.h"
#include "plugin/preferences.h"
#include "tests/editor/editor_fixture.h"
#include "toolkit/option_menu.h"

namespace zarpa::testing {
namespace {

using EditorScale = EditorTest;

constexpr VstInt32 kPreS = 0x50726553;
constexpr VstIntPtr kAeCs = 0x41654373;

std::pair<int, int> reportedSize(Plugin& plugin) {
    ERect* rect = nullptr;
    plugin.dispatcher(effEditGetRect, 0, 0, &rect, 0.0f);
    if (!rect) return {0, 0};
    return {rect->right - rect->left, rect->bottom - rect->top};
}

TEST_F(EditorScale, TheReportedWindowFollowsTheStoredChoiceElseTheHostsHintElse100) {
    editor().close();
    EXPECT_EQ(reportedSize(*plugin), std::make_pair(524, 462));
    EXPECT_EQ(plugin->dispatcher(effVendorSpecific, kPreS, kAeCs, nullptr, 2.0f), 1);
    EXPECT_EQ(reportedSize(*plugin), std::make_pair(1048, 924));
    EXPECT_EQ(plugin->dispatcher(effVendorSpecific, kPreS, kAeCs, nullptr, std::nanf("")), 0) << "no factor";
    EXPECT_EQ(plugin->dispatcher(effVendorSpecific, kPreS, 0, nullptr, 1.5f), 0) << "another vendor call";
    EXPECT_EQ(reportedSize(*plugin), std::make_pair(1048, 924));

    ASSERT_TRUE(storeEditorScale(150));
    EXPECT_EQ(storedEditorScale(), 150);
    EXPECT_EQ(reportedSize(*plugin), std::make_pair(786, 693)) << "the user's choice beats the host's hint";
    ASSERT_TRUE(editor().open(nullptr));
    EXPECT_EQ(editor().getMyFrame()->getScalePercent(), 150);
    EXPECT_EQ(editor().getMyFrame()->getBackBuffer()->getWidth(), 786);
    ASSERT_TRUE(storeEditorScale(100));
    EXPECT_EQ(reportedSize(*plugin), std::make_pair(786, 693)) << "an open window keeps its size";
    editor().close();
    EXPECT_EQ(reportedSize(*plugin), std::make_pair(524, 462));
    EXPECT_FALSE(storeEditorScale(125));
}

TEST_F(EditorScale, HostFactorsRoundToTheNearestSize) {
    EXPECT_EQ(editorScaleForFactor(1.0f), 100);
    EXPECT_EQ(editorScaleForFactor(1.24f), 100);
    EXPECT_EQ(editorScaleForFactor(1.25f), 150);
    EXPECT_EQ(editorScaleForFactor(1.5f), 150);
    EXPECT_EQ(editorScaleForFactor(1.75f), 200);
    EXPECT_EQ(editorScaleForFactor(3.0f), 200);
    EXPECT_EQ(editorScaleForFactor(0.0f), 0);
    EXPECT_EQ(editorScaleForFactor(-2.0f), 0);
    EXPECT_EQ(editorScaleForFactor(INFINITY), 0);
}

// The size menu: a right click on the info spot opens its list; a choice is stored at once.
COptionMenu* openSizeMenu(MyFrame* frame) {
    CPoint infoSpot(262, 385);
    frame->onMouseDown(infoSpot, kRButton);
    frame->onMouseUp(infoSpot, 0);
    for (int i = 0; i < frame->getNbViews(); ++i) {
        auto* menu = dynamic_cast<COptionMenu*>(frame->getView(i));
        if (menu && menu->getTag() == kScaleMenuTag) return menu;
    }
    return nullptr;
}

TEST_F(EditorScale, AChoiceFromTheInfoSpotsMenuIsStoredAndTakesEffectAtTheNextOpen) {
    COptionMenu* menu = openSizeMenu(frame);
    ASSERT_NE(menu, nullptr);
    EXPECT_NE(frame->getPopup(), nullptr) << "the right click opened the list";
    EXPECT_FALSE(dynamic_cast<CInfo*>(frame->getView(22))->isPanelOpen());
    ASSERT_EQ(menu->getNbEntries(), 3);
    EXPECT_TRUE(menu->getEntry(0)->isChecked());
    menu->popupClosed(2);  // "Editor size 200 %"
    EXPECT_EQ(storedEditorScale(), 200);
    EXPECT_TRUE(menu->getEntry(2)->isChecked());
    EXPECT_FALSE(menu->getEntry(0)->isChecked());

    idleAfter(40);  // a host that cannot resize: this window stays as it is
    EXPECT_EQ(editor().getMyFrame(), frame);
    EXPECT_EQ(frame->getScalePercent(), 100);
    EXPECT_TRUE(callsWith(audioMasterSizeWindow).empty());
    editor().close();
    ASSERT_TRUE(editor().open(nullptr));
    EXPECT_EQ(editor().getMyFrame()->getScalePercent(), 200);
    EXPECT_EQ(reportedSize(*plugin), std::make_pair(1048, 924));
}

TEST_F(EditorScale, AHostThatCanResizeGetsTheNewSizeAndTheWindowIsRebuiltAtOnce) {
    hostCanSizeWindow() = true;
    plugin->setParameter(kPower, 0.25f);
    COptionMenu* menu = openSizeMenu(frame);
    ASSERT_NE(menu, nullptr);
    menu->popupClosed(1);  // 150 %
    idleAfter(40);
    MyFrame* rebuilt = editor().getMyFrame();
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(rebuilt->getScalePercent(), 150);
    const std::vector<HostCall> resizes = callsWith(audioMasterSizeWindow);
    ASSERT_EQ(resizes.size(), 1u);
    EXPECT_EQ(resizes[0].index, 786) << "the width; the height goes in value";
    EXPECT_EQ(reportedSize(*plugin), std::make_pair(786, 693));

    // The rebuilt window works as before: the same click lands on the same control.
    frame = rebuilt;
    pressOn(window::control(ControlKind::ToggleButton, kPower).rect);
    EXPECT_EQ(valueToStep(plugin->getParameter(kPower), 2), 1);
}

}  // namespace
}  // namespace zarpa::testing
