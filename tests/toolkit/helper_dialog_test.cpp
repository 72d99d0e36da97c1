// The Linux dialog through a helper program: stand-in zenity and kdialog scripts in a private PATH.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "toolkit/file_selector.h"

namespace {

class HelperDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/toolkit-dialog-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        const char* path = std::getenv("PATH");
        savedPath_ = path ? path : "";
        setenv("PATH", dir_.c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", savedPath_.c_str(), 1);
        std::system(("rm -rf " + dir_).c_str());
    }
    // A helper that writes its arguments, one a line, to args.txt, prints `output` and exits with `status`.
    void installHelper(const std::string& name, const std::string& output, int status) {
        const std::string file = dir_ + "/" + name;
        std::ofstream script(file);
        script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " << dir_ << "/args.txt\n"
               << "printf '" << output << "'\nexit " << status << "\n";
        script.close();
        chmod(file.c_str(), 0755);
    }
    std::string arguments() const {
        std::ifstream in(dir_ + "/args.txt");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    FileDialogRequest saveRequest() const {
        FileDialogRequest r;
        r.style = FileDialogRequest::kSave;
        r.title = "Save bank";
        r.initialDirectory = "/home/me/banks";
        r.defaultSaveName = "live.okb";
        r.extensions = {CFileExtension("OKA Bank", "okb")};
        return r;
    }

    std::string dir_;
    std::string savedPath_;
};

}  // namespace

TEST_F(HelperDialogTest, WithoutAHelperProgramThereIsNoDialog) {
    std::vector<std::string> selected;
    EXPECT_FALSE(platformFileDialogBackend().run(saveRequest(), selected));
    EXPECT_TRUE(selected.empty());
}

TEST_F(HelperDialogTest, ZenityIsAskedToSaveInTheDirectoryAndItsAnswerIsThePath) {
    installHelper("zenity", "/home/me/banks/new.okb\\n", 0);
    installHelper("kdialog", "/wrong", 0);  // zenity comes first
    std::vector<std::string> selected;
    int waits = 0;
    FileDialogRequest r = saveRequest();
    r.whileWaiting = [&waits] { ++waits; };
    ASSERT_TRUE(platformFileDialogBackend().run(r, selected));
    EXPECT_EQ(selected, std::vector<std::string>{"/home/me/banks/new.okb"});
    const std::string args = arguments();
    EXPECT_NE(args.find("--file-selection\n"), std::string::npos);
    EXPECT_NE(args.find("--title=Save bank\n"), std::string::npos);
    EXPECT_NE(args.find("--save\n"), std::string::npos);
    EXPECT_NE(args.find("--filename=/home/me/banks/live.okb\n"), std::string::npos);
    EXPECT_NE(args.find("--file-filter=OKA Bank (*.okb) | *.okb\n"), std::string::npos);
}

TEST_F(HelperDialogTest, ACancelledHelperChoosesNothing) {
    installHelper("zenity", "", 1);
    std::vector<std::string> selected;
    EXPECT_FALSE(platformFileDialogBackend().run(saveRequest(), selected));
    EXPECT_TRUE(selected.empty());
}

TEST_F(HelperDialogTest, KdialogServesWhenZenityIsMissing) {
    installHelper("kdialog", "/home/me/banks/a b.okb\\n", 0);
    FileDialogRequest r = saveRequest();
    r.style = FileDialogRequest::kOpen;
    std::vector<std::string> selected;
    ASSERT_TRUE(platformFileDialogBackend().run(r, selected));
    EXPECT_EQ(selected, std::vector<std::string>{"/home/me/banks/a b.okb"});
    const std::string args = arguments();
    EXPECT_NE(args.find("--getopenfilename\n/home/me/banks\n*.okb|OKA Bank\n"), std::string::npos);
}

TEST_F(HelperDialogTest, AnAbandonedDialogEndsTheHelperAndChoosesNothing) {
    // A helper that keeps its dialog up for half a minute; the window closes after three waits.
    const std::string file = dir_ + "/zenity";
    std::ofstream script(file);
    script << "#!/bin/sh\nexec /bin/sleep 30\n";
    script.close();
    chmod(file.c_str(), 0755);
    int waits = 0;
    FileDialogRequest r = saveRequest();
    r.whileWaiting = [&waits] { ++waits; };
    r.abandoned = [&waits] { return waits >= 3; };
    std::vector<std::string> selected;
    EXPECT_FALSE(platformFileDialogBackend().run(r, selected));
    EXPECT_TRUE(selected.empty());
    EXPECT_EQ(waits, 3);
}
