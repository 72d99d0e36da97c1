// The output layer on its own, on both platforms (the Windows build's CREATE_NEW and ReplaceFile under wine):
// nothing appears under the target's name before commit, nothing is left after a failure, and an existing
// file is replaced only when asked.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "cli/cli_error.h"
#include "cli/pending_output.h"

namespace zarpacli {
namespace {

namespace fs = std::filesystem;

class PendingOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("zarpa-pending-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) { return (dir_ / name).string(); }
    std::set<std::string> names() {
        std::set<std::string> n;
        for (const auto& e : fs::directory_iterator(dir_)) n.insert(e.path().filename().string());
        return n;
    }
    std::string text(const std::string& name) {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir_;
};

TEST_F(PendingOutputTest, TheTargetAppearsWholeOnCommitAndNotBefore) {
    {
        PendingOutput out(path("a.bin"), false);
        out.writeAll({'n', 'e', 'w'});
        ASSERT_EQ(names().size(), 1u);
        EXPECT_EQ(names().begin()->rfind(".zarpa-", 0), 0u) << "a hidden temporary file beside the target";
        EXPECT_EQ(names().count("a.bin"), 0u);
        out.commit();
    }
    EXPECT_EQ(names(), std::set<std::string>{"a.bin"});
    EXPECT_EQ(text("a.bin"), "new");
}

TEST_F(PendingOutputTest, AnAbandonedOutputLeavesNothing) {
    std::ofstream(path("keep.bin")) << "old";
    {
        PendingOutput out(path("keep.bin"), true);
        out.writeAll({'x'});
    }
    EXPECT_EQ(names(), std::set<std::string>{"keep.bin"});
    EXPECT_EQ(text("keep.bin"), "old");
}

TEST_F(PendingOutputTest, AnExistingFileIsReplacedOnlyWhenAsked) {
    std::ofstream(path("b.bin")) << "old";
    try {
        PendingOutput refused(path("b.bin"), false);
        ADD_FAILURE() << "an existing file was opened for replacing without --force";
    } catch (const CliError& e) {
        EXPECT_EQ(e.exitCode(), kExitUsage);
        EXPECT_NE(std::string(e.what()).find("add --force"), std::string::npos) << e.what();
    }
    writeFileAtomically(path("b.bin"), {'n', 'e', 'w', '!'}, true);
    EXPECT_EQ(text("b.bin"), "new!");
    EXPECT_EQ(names(), std::set<std::string>{"b.bin"});

    // A file that appears while the output is being written is not replaced either.
    PendingOutput late(path("c.bin"), false);
    late.writeAll({'n'});
    std::ofstream(path("c.bin")) << "theirs";
    EXPECT_THROW(late.commit(), CliError);
    EXPECT_EQ(text("c.bin"), "theirs");
}

}  // namespace
}  // namespace zarpacli
