// The preset bar in the editor: its controls as built, and what each of them does to the programs.
#include <cstring>
#include <thread>

#include "tests/presetbar/presetbar_fixture.h"
#include "toolkit/bitmap.h"

namespace zarpa::testing {
namespace {

TEST_F(PresetBarTest, OpenBuildsThirteenControlsFromTheTableAboveTheEditorsOwn) {
    const int firstBarView = frame->getNbViews() - static_cast<int>(kPresetBarControlCount);
    for (std::size_t i = 0; i < kPresetBarControlCount; ++i) {
        const window::PresetBarControl& spec = window::kPresetBar[i];
        auto* view = dynamic_cast<CControl*>(frame->getView(firstBarView + static_cast<int>(i)));
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->getTag(), spec.tag);
        EXPECT_EQ(view->getViewSize(), CRect(spec.rect.left, spec.rect.top, spec.rect.right, spec.rect.bottom)) << spec.tag;
        EXPECT_EQ(view->getListener(), static_cast<CControlListener*>(&editor()));
        ASSERT_NE(view->getBackground(), nullptr);
        EXPECT_EQ(view->getBackground()->getResourceId(), spec.bitmap);
        if (spec.images) {
            const CCoord imageHeight = view->getBackground()->getHeight() / spec.images;
            if (auto* rocker = dynamic_cast<CPSRockerSwitch*>(view)) {
                EXPECT_EQ(rocker->getHeightOfOneImage(), imageHeight);
            } else if (auto* kick = dynamic_cast<CKickButton*>(view)) {
                EXPECT_EQ(kick->getHeightOfOneImage(), imageHeight);
            } else {
                ADD_FAILURE() << "tag " << spec.tag << " is not a film-strip control";
            }
        }
    }
    EXPECT_TRUE(control(kLoadBankTag).isTypeOf("CSaveLoadButton"));
    EXPECT_TRUE(control(kRockerTag).isTypeOf("CPSRockerSwitch"));
    EXPECT_TRUE(static_cast<CPSKickButton&>(control(kDefaultBankTag)).needsDoubleClick());
    EXPECT_FALSE(static_cast<CPSKickButton&>(control(kMemoAStoreTag)).needsDoubleClick());
}

TEST_F(PresetBarTest, NameFieldAndMenuShowTheProgramStore) {
    CTextEdit* field = bar().nameField();
    EXPECT_EQ(field->getBackOffset(), CPoint(194, 447));
    EXPECT_EQ(field->getFont(), kNormalFontSmaller);
    EXPECT_EQ(field->getBackColor(), MakeCColor(209, 227, 238));
    EXPECT_EQ(field->getFrameColor(), MakeCColor(36, 36, 32));
    EXPECT_EQ(field->getFontColor(), MakeCColor(36, 36, 32));
    EXPECT_EQ(field->getHoriAlign(), kCenterText);
    EXPECT_EQ(field->getText(), hostProgramName());

    COptionMenu* menu = bar().programMenu();
    EXPECT_EQ(menu->getStyle(), 7680);
    EXPECT_EQ(menu->getNbItemsPerColumn(), 12);
    EXPECT_EQ(menu->getBackOffset(), CPoint(320, 448));
    ASSERT_EQ(menu->getNbEntries(), 24);
    char name[32];
    for (int k = 0; k < 24; ++k) {
        plugin->getProgramNameIndexed(0, k, name);
        EXPECT_EQ(menuTitle(k), name);
    }
    EXPECT_EQ(menu->getCurrentIndex(), 0);
}

TEST_F(PresetBarTest, RenamingCutsToTwentyFourCharactersEverywhere) {
    clickOn(kRockerTag, kLButton, 10);  // to program 1, so the rename is not only about entry 0
    CPoint field = centreOf(kNameFieldTag);
    frame->onMouseDown(field, kLButton);
    typeText("abcdefghijklmnopqrstuvwxyz0123");
    EXPECT_EQ(bar().nameField()->getText(), "abcdefghijklmnopqrstuvwx");
    EXPECT_EQ(menuTitle(1), "abcdefghijklmnopqrstuvwx");
    EXPECT_EQ(hostProgramName(), "abcdefghijklmnopqrstuvwx");
    EXPECT_NE(menuTitle(0), "abcdefghijklmnopqrstuvwx");
}

TEST_F(PresetBarTest, RockerStepsOneProgramPerClickAndStopsAtBothEnds) {
    clickOn(kRockerTag, kLButton, -10);
    EXPECT_EQ(current(), 0);
    plugin->setParameter(kDrive, 0.9f);  // stored into program 0; re-applying it keeps it
    clickOn(kRockerTag, kLButton, 10);
    EXPECT_EQ(current(), 1);
    EXPECT_EQ(bar().programMenu()->getCurrentIndex(), 1);
    EXPECT_EQ(bar().nameField()->getText(), menuTitle(1));
    EXPECT_EQ(hostProgramName(), menuTitle(1));
    for (int i = 0; i < 30; ++i) clickOn(kRockerTag, kLButton, 10);
    EXPECT_EQ(current(), 23);
    hostCalls().clear();
    clickOn(kRockerTag, kLButton, 10);
    EXPECT_EQ(current(), 23);
    EXPECT_FALSE(callsWith(audioMasterUpdateDisplay).empty());  // program 23 was applied again
    for (int i = 0; i < 23; ++i) clickOn(kRockerTag, kLButton, -10);
    EXPECT_EQ(current(), 0);
    EXPECT_FLOAT_EQ(plugin->getParameter(kDrive), 0.9f);
}

TEST_F(PresetBarTest, MenuChoiceAppliesTheChosenProgram) {
    COptionMenu* menu = bar().programMenu();
    menu->popupClosed(17);
    EXPECT_EQ(current(), 17);
    EXPECT_EQ(bar().nameField()->getText(), menuTitle(17));
    EXPECT_EQ(hostProgramName(), menuTitle(17));
    EXPECT_EQ(menu->getCurrentIndex(), 17);
}

TEST_F(PresetBarTest, DefaultPresetNeedsDoubleClickAndControlDoubleClickClearsIt) {
    unsigned char stored[kPresetRecordSize];
    const auto storedKind = [&] {
        std::memset(stored, 0, sizeof stored);
        loadStoredRecord(kDefaultPresetValue, stored, sizeof stored);
        return stored[4];
    };
    clickOn(kDefaultPresetTag);
    EXPECT_EQ(storedKind(), 0);
    clickOn(kDefaultPresetTag, kLButton | kDoubleClick);
    EXPECT_EQ(storedKind(), '!');
    clickOn(kDefaultPresetTag, kLButton | kDoubleClick | kControl);
    EXPECT_EQ(storedKind(), 0);

    unsigned char bank[kBankRecordSize] = {};
    clickOn(kDefaultBankTag, kLButton | kDoubleClick);
    loadStoredRecord(kDefaultBankValue, bank, sizeof bank);
    EXPECT_EQ(bank[4], '7');
}

TEST_F(PresetBarTest, MemoSlotsRecallIntoWhateverProgramIsCurrent) {
    bar().programMenu()->popupClosed(2);
    plugin->setParameter(kRelease, 0.25f);
    const std::string memoName = hostProgramName();
    clickOn(kMemoAStoreTag);
    bar().programMenu()->popupClosed(5);
    plugin->setParameter(kRelease, 0.75f);
    clickOn(kMemoBStoreTag);
    bar().programMenu()->popupClosed(9);

    clickOn(kMemoARecallTag);
    EXPECT_EQ(current(), 9);
    EXPECT_FLOAT_EQ(plugin->getParameter(kRelease), 0.25f);
    EXPECT_EQ(hostProgramName(), memoName);
    EXPECT_EQ(menuTitle(9), memoName);
    EXPECT_EQ(bar().nameField()->getText(), memoName);
    clickOn(kMemoBRecallTag);
    EXPECT_FLOAT_EQ(plugin->getParameter(kRelease), 0.75f);
}

TEST_F(PresetBarTest, HostRenameReachesNameFieldAndMenuWhileOpenAndNobodyWhenClosed) {
    bar().programMenu()->popupClosed(4);
    char name[] = "Host given name that is too long";
    plugin->getAeffect()->dispatcher(plugin->getAeffect(), effSetProgramName, 0, 0, name, 0.0f);
    EXPECT_EQ(bar().nameField()->getText(), "Host given name that is ");
    EXPECT_EQ(menuTitle(4), "Host given name that is ");

    editor().close();
    EXPECT_EQ(editor().getPresetBar(), nullptr);
    char other[] = "Renamed while closed";
    plugin->getAeffect()->dispatcher(plugin->getAeffect(), effSetProgramName, 0, 0, other, 0.0f);
    ASSERT_TRUE(editor().open(nullptr));
    frame = editor().getMyFrame();
    EXPECT_EQ(bar().nameField()->getText(), "Renamed while closed");
    EXPECT_EQ(menuTitle(4), "Renamed while closed");
    EXPECT_EQ(bar().programMenu()->getCurrentIndex(), 4);
}

TEST_F(PresetBarTest, RecalledChunkRefreshesMenuAndNameFieldAtTheNextIdle) {
    void* data = nullptr;
    const VstInt32 size = plugin->getChunk(&data, false);
    const std::vector<unsigned char> before(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    bar().programMenu()->popupClosed(6);
    char name[] = "Changed";
    plugin->setProgramName(name);
    plugin->getChunk(&data, false);
    const std::vector<unsigned char> after(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);

    // The host recalls the state from before (program 0 current) from its own thread; the next idle shows it.
    std::thread([&] { EXPECT_EQ(plugin->setChunk(const_cast<unsigned char*>(before.data()), size, false), 0); }).join();
    idleAfter(100);
    EXPECT_EQ(bar().programMenu()->getCurrentIndex(), 0);
    EXPECT_NE(menuTitle(6), "Changed");
    EXPECT_EQ(bar().nameField()->getText(), menuTitle(0));

    ASSERT_EQ(plugin->setChunk(const_cast<unsigned char*>(after.data()), size, false), 0);
    idleAfter(100);
    EXPECT_EQ(bar().programMenu()->getCurrentIndex(), 6);
    EXPECT_EQ(menuTitle(6), "Changed");
    EXPECT_EQ(bar().nameField()->getText(), "Changed");
}

TEST_F(PresetBarTest, IdleLeavesANameBeingTypedAlone) {
    CPoint field = centreOf(kNameFieldTag);
    frame->onMouseDown(field, kLButton);
    CKeyCode key{'x', 0, 0};
    frame->onKeyDown(key);
    idleAfter(100);
    EXPECT_TRUE(bar().nameField()->isInPlaceEditing());
    EXPECT_EQ(bar().nameField()->getEditText(), "x");
}

TEST_F(PresetBarTest, CloseDropsTheBarAndAReopenBuildsItAgain) {
    editor().close();
    EXPECT_EQ(editor().getPresetBar(), nullptr);
    editor().idle();
    ASSERT_TRUE(editor().open(nullptr));
    frame = editor().getMyFrame();
    ASSERT_NE(editor().getPresetBar(), nullptr);
    EXPECT_EQ(bar().programMenu()->getNbEntries(), 24);
}

}  // namespace
}  // namespace zarpa::testing
