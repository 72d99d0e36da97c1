// The Linux dialog through a helper program run beside the host: stand-in zenity and kdialog scripts in a
// private PATH.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <chrono>
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
    // Asks the session until the helper has ended (the frame's idle does the same, 50 ms apart).
    static bool waitForAnswer(FileDialogSession& session, std::vector<std::string>& chosen) {
        for (int i = 0; i < 1000; ++i) {
            if (session.finished(chosen)) return true;
            usleep(10000);
        }
        return false;
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
    EXPECT_EQ(platformFileDialogBackend().start(saveRequest()), nullptr);
}

TEST_F(HelperDialogTest, ZenityIsAskedToSaveInTheDirectoryAndItsAnswerIsThePath) {
    installHelper("zenity", "/home/me/banks/new.okb\\n", 0);
    installHelper("kdialog", "/wrong", 0);  // zenity comes first
    auto session = platformFileDialogBackend().start(saveRequest());
    ASSERT_NE(session, nullptr);
    std::vector<std::string> chosen;
    ASSERT_TRUE(waitForAnswer(*session, chosen));
    EXPECT_EQ(chosen, std::vector<std::string>{"/home/me/banks/new.okb"});
    const std::string args = arguments();
    EXPECT_NE(args.find("--file-selection\n"), std::string::npos);
    EXPECT_NE(args.find("--title=Save bank\n"), std::string::npos);
    EXPECT_NE(args.find("--save\n"), std::string::npos);
    EXPECT_NE(args.find("--filename=/home/me/banks/live.okb\n"), std::string::npos);
    EXPECT_NE(args.find("--file-filter=OKA Bank (*.okb) | *.okb\n"), std::string::npos);
}

// A name typed without the extension would be saved as typed and then hidden by the next load dialog's
// filter: the extension is appended (in any letter case it counts as present).
TEST_F(HelperDialogTest, ASaveNameWithoutTheExtensionGetsIt) {
    FileDialogRequest r = saveRequest();
    r.defaultSaveName = "OKA Zarpa";
    for (const auto& [typed, saved] : std::vector<std::pair<std::string, std::string>>{
             {"/home/me/banks/new", "/home/me/banks/new.okb"},
             {"/home/me/banks/new.txt", "/home/me/banks/new.txt.okb"},
             {"/home/me/banks/LOUD.OKB", "/home/me/banks/LOUD.OKB"},
             {"/home/me/.okb", "/home/me/.okb.okb"}}) {
        installHelper("zenity", typed + "\\n", 0);
        auto session = platformFileDialogBackend().start(r);
        ASSERT_NE(session, nullptr);
        std::vector<std::string> chosen;
        ASSERT_TRUE(waitForAnswer(*session, chosen));
        EXPECT_EQ(chosen, std::vector<std::string>{saved});
    }
    EXPECT_NE(arguments().find("--filename=/home/me/banks/OKA Zarpa.okb\n"), std::string::npos);
    r.style = FileDialogRequest::kOpen;  // an opened file is taken as chosen
    installHelper("zenity", "/home/me/banks/old\\n", 0);
    auto session = platformFileDialogBackend().start(r);
    std::vector<std::string> chosen;
    ASSERT_TRUE(waitForAnswer(*session, chosen));
    EXPECT_EQ(chosen, std::vector<std::string>{"/home/me/banks/old"});
}

TEST_F(HelperDialogTest, ACancelledHelperChoosesNothing) {
    installHelper("zenity", "", 1);
    auto session = platformFileDialogBackend().start(saveRequest());
    ASSERT_NE(session, nullptr);
    std::vector<std::string> chosen;
    ASSERT_TRUE(waitForAnswer(*session, chosen));
    EXPECT_TRUE(chosen.empty());
}

TEST_F(HelperDialogTest, KdialogServesWhenZenityIsMissing) {
    installHelper("kdialog", "/home/me/banks/a b.okb\\n", 0);
    FileDialogRequest r = saveRequest();
    r.style = FileDialogRequest::kOpen;
    auto session = platformFileDialogBackend().start(r);
    ASSERT_NE(session, nullptr);
    std::vector<std::string> chosen;
    ASSERT_TRUE(waitForAnswer(*session, chosen));
    EXPECT_EQ(chosen, std::vector<std::string>{"/home/me/banks/a b.okb"});
    const std::string args = arguments();
    EXPECT_NE(args.find("--getopenfilename\n/home/me/banks\n*.okb|OKA Bank\n"), std::string::npos);
}

// The user keeps the dialog up: nothing waits for it, and a window that closes meanwhile ends the helper
// and collects it (no process and no zombie left in the host).
TEST_F(HelperDialogTest, ADialogLeftUpBlocksNobodyAndEndsWithItsSession) {
    const std::string file = dir_ + "/zenity";
    std::ofstream script(file);
    script << "#!/bin/sh\necho $$ > " << dir_ << "/pid\nexec /bin/sleep 30\n";
    script.close();
    chmod(file.c_str(), 0755);
    const auto started = std::chrono::steady_clock::now();
    auto session = platformFileDialogBackend().start(saveRequest());
    ASSERT_NE(session, nullptr);
    std::vector<std::string> chosen;
    for (int i = 0; i < 20; ++i) {
        EXPECT_FALSE(session->finished(chosen));
        usleep(10000);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));  // far below the helper's 30 s
    pid_t pid = 0;
    for (int i = 0; i < 500 && pid == 0; ++i) {
        std::ifstream in(dir_ + "/pid");
        if (!(in >> pid)) pid = 0;
        if (!pid) usleep(10000);
    }
    ASSERT_GT(pid, 0);
    session.reset();
    EXPECT_EQ(kill(pid, 0), -1);  // ended and reaped
    EXPECT_EQ(errno, ESRCH);
    EXPECT_TRUE(chosen.empty());
}
