// The preset bar's file buttons: what their dialogs ask for, what a choice or a cancel does, and on Linux
// the desktop's helper program run for real (a stand-in script, or none at all).
#include <cstring>
#include <fstream>
#include <iterator>

#include "tests/presetbar/presetbar_fixture.h"

#ifndef _WIN32
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zarpa::testing {
namespace {

std::vector<unsigned char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(PresetBarTest, EachFileButtonAsksWithItsTitleTypeAndRememberedPlace) {
    struct Case {
        int tag;
        CButtonState buttons;
        const char* title;
        ::FileDialogRequest::Style style;
        const char* type;
        const char* extension;
    };
    const Case cases[] = {
        {kLoadPresetTag, kLButton, "Load preset", ::FileDialogRequest::kOpen, "OKA Preset", "oka"},
        {kLoadPresetTag, kRButton, "Load preset (endian-reversed)", ::FileDialogRequest::kOpen, "OKA Preset", "oka"},
        {kSavePresetTag, kLButton, "Save preset", ::FileDialogRequest::kSave, "OKA Preset", "oka"},
        {kLoadBankTag, kLButton, "Load bank", ::FileDialogRequest::kOpen, "OKA Bank", "okb"},
        {kLoadBankTag, kRButton, "Load bank (endian-reversed)", ::FileDialogRequest::kOpen, "OKA Bank", "okb"},
        {kSaveBankTag, kLButton, "Save bank", ::FileDialogRequest::kSave, "OKA Bank", "okb"},
    };
    for (const Case& c : cases) clickOn(c.tag, c.buttons);
    ASSERT_EQ(dialog.requests.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const ::FileDialogRequest& r = dialog.requests[i];
        EXPECT_EQ(r.title, cases[i].title);
        EXPECT_EQ(r.style, cases[i].style);
        ASSERT_EQ(r.extensions.size(), 1u);
        EXPECT_EQ(r.extensions[0], CFileExtension(cases[i].type, cases[i].extension));
        EXPECT_EQ(r.initialDirectory, editor().getCurrentDirectory());
        EXPECT_FALSE(r.allowMultiple);
    }
}

TEST_F(PresetBarTest, SavedPresetLoadsBackPlainOrEndianReversedAndPathsAreRemembered) {
    plugin->setParameter(kOutput, 0.3f);
    dialog.answers = {{path("mine.oka")}};
    clickOn(kSavePresetTag);
    const std::vector<unsigned char> bytes = fileBytes(path("mine.oka"));
    ASSERT_EQ(bytes.size(), 133u);
    EXPECT_EQ(bytes[4], 0x21);
    EXPECT_STREQ(editor().getCurrentPresetFile(), "mine.oka");

    plugin->setParameter(kOutput, 0.6f);
    dialog.answers = {{path("mine.oka")}};
    clickOn(kLoadPresetTag);
    EXPECT_FLOAT_EQ(plugin->getParameter(kOutput), 0.3f);

    dialog.answers = {{path("mine.oka")}};
    clickOn(kLoadPresetTag, kRButton);
    float reversed = 0.3f;
    byteSwap32(&reversed);
    EXPECT_EQ(std::memcmp(&reversed, &(plugin->programs()[0].values[kOutput]), 4), 0);

    dialog.answers.clear();
    clickOn(kSaveBankTag);  // the next dialog, of the other kind, starts where the last one ended
    EXPECT_EQ(std::filesystem::path(dialog.requests.back().initialDirectory), std::filesystem::path(scratch) / "");
}

TEST_F(PresetBarTest, LoadedBankRefreshesMenuAndAppliesProgramZero) {
    char name[] = "Bank program seven";
    bar().programMenu()->popupClosed(7);
    plugin->setProgramName(name);
    dialog.answers = {{path("all.okb")}};
    clickOn(kSaveBankTag);
    EXPECT_EQ(fileBytes(path("all.okb")).size(), 3077u);

    char other[] = "Other";
    plugin->setProgramName(other);
    bar().programMenu()->popupClosed(12);
    dialog.answers = {{path("all.okb")}};
    clickOn(kLoadBankTag);
    EXPECT_EQ(menuTitle(7), "Bank program seven");
    EXPECT_EQ(bar().programMenu()->getCurrentIndex(), 0);
    EXPECT_EQ(current(), 0);
    EXPECT_EQ(bar().nameField()->getText(), menuTitle(0));
}

TEST_F(PresetBarTest, AFirstSaveOffersTheProgramsNameThenTheLastFileSaved) {
    clickOn(kSaveBankTag);
    dialog.answers = {{path("session.oka")}};
    clickOn(kSavePresetTag);
    clickOn(kSavePresetTag);
    ASSERT_EQ(dialog.requests.size(), 3u);
    EXPECT_EQ(dialog.requests[0].defaultSaveName, "OKA Zarpa");
    EXPECT_EQ(dialog.requests[1].defaultSaveName, "OKA Zarpa");
    EXPECT_EQ(dialog.requests[2].defaultSaveName, "session.oka");
}

TEST_F(PresetBarTest, CancelledDialogChangesNothing) {
    void* data = nullptr;
    const VstInt32 size = plugin->getChunk(&data, false);
    const std::vector<unsigned char> before(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    const std::string directory = editor().getCurrentDirectory();
    for (int tag : {kLoadPresetTag, kSavePresetTag, kLoadBankTag, kSaveBankTag}) clickOn(tag);
    EXPECT_EQ(dialog.requests.size(), 4u);
    plugin->getChunk(&data, false);
    EXPECT_EQ(std::memcmp(before.data(), data, before.size()), 0);
    EXPECT_EQ(editor().getCurrentDirectory(), directory);
    EXPECT_STREQ(editor().getCurrentPresetFile(), "");
}

#ifndef _WIN32
// PATH holds only a directory of the test's own for the duration.
class HelperPath {
public:
    explicit HelperPath(const std::string& directory) : old_(getenv("PATH") ? getenv("PATH") : "") {
        setenv("PATH", directory.c_str(), 1);
    }
    ~HelperPath() { setenv("PATH", old_.c_str(), 1); }

private:
    std::string old_;
};

TEST_F(PresetBarTest, LinuxHelperProgramIsRunWithTitleAndFilterAndItsChoiceLoads) {
    frame->setFileDialogBackend(nullptr);  // the platform's own dialog
    plugin->setParameter(kOutput, 0.3f);
    dialog.answers = {{path("helper.oka")}};
    frame->setFileDialogBackend(&dialog);
    clickOn(kSavePresetTag);
    frame->setFileDialogBackend(nullptr);
    plugin->setParameter(kOutput, 0.8f);

    const std::filesystem::path bin = scratch / "bin";
    std::filesystem::create_directories(bin);
    const std::string script = (bin / "zenity").string();
    {
        std::ofstream out(script);
        out << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" << path("args.txt") << "'\necho '"
            << path("helper.oka") << "'\n";
    }
    chmod(script.c_str(), 0755);
    {
        HelperPath only(bin.string());
        clickOn(kLoadPresetTag);
    }
    for (int i = 0; i < 500 && frame->isFileDialogOpen(); ++i) {
        usleep(10000);
        frame->idle();  // the helper runs beside us; its answer is taken at an idle pass
    }
    EXPECT_FALSE(frame->isFileDialogOpen());
    EXPECT_FLOAT_EQ(plugin->getParameter(kOutput), 0.3f);
    std::ifstream args(path("args.txt"));
    const std::string all{std::istreambuf_iterator<char>(args), std::istreambuf_iterator<char>()};
    EXPECT_NE(all.find("--title=Load preset\n"), std::string::npos) << all;
    EXPECT_NE(all.find("OKA Preset"), std::string::npos);
    EXPECT_NE(all.find("*.oka"), std::string::npos);
}

TEST_F(PresetBarTest, WithoutAHelperProgramTheButtonsDoNothing) {
    frame->setFileDialogBackend(nullptr);
    plugin->setParameter(kOutput, 0.4f);
    HelperPath nothing(scratch.string());
    for (int tag : {kLoadPresetTag, kLoadBankTag}) clickOn(tag);
    EXPECT_EQ(current(), 0);
    EXPECT_FLOAT_EQ(plugin->getParameter(kOutput), 0.4f);
}

TEST_F(PresetBarTest, RealHelperWhenInstalledCanBeCancelled) {
    if (access("/usr/bin/zenity", X_OK) != 0 && access("/usr/bin/kdialog", X_OK) != 0)
        GTEST_SKIP() << "no zenity or kdialog installed";
    if (!getenv("DISPLAY")) GTEST_SKIP() << "no display for the helper";
    // Without a usable display the helper fails at once, which reads as a cancel.
    frame->setFileDialogBackend(nullptr);
    const std::string display = getenv("DISPLAY");
    setenv("DISPLAY", ":9999", 1);
    plugin->setParameter(kOutput, 0.4f);
    clickOn(kLoadPresetTag);
    setenv("DISPLAY", display.c_str(), 1);
    for (int i = 0; i < 1000 && frame->isFileDialogOpen(); ++i) {
        usleep(10000);
        frame->idle();
    }
    EXPECT_FALSE(frame->isFileDialogOpen());
    EXPECT_FLOAT_EQ(plugin->getParameter(kOutput), 0.4f);
}
#endif

}  // namespace
}  // namespace zarpa::testing
