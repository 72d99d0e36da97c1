// What zarpa writes cannot be turned against its user: temporary files are created exclusively under
// names nobody can plant in advance, FIFOs, devices and links are written into or through as a user
// expects, a replaced file keeps its mode and owner, and a signal ends zarpa promptly without leftovers.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <future>
#include <thread>

#include "end_to_end_support.h"

namespace zarpacli::test {
namespace {

namespace fs = std::filesystem;

class OutputSafety : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        writeAudio("in.wav", quietSignal(44100, 2, 3000));
        victim_ = (dir_ / ".config" / "victim").string();  // a file of the user's outside the output folder
        std::ofstream(victim_) << "precious";
    }
    std::string victimText() {
        std::ifstream in(victim_);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    mode_t modeOf(const std::string& name) {
        struct stat st{};
        lstat(path(name).c_str(), &st);
        return st.st_mode;
    }
    // Reads a FIFO to its end on another thread.
    std::future<std::vector<unsigned char>> drain(const std::string& name) {
        return std::async(std::launch::async, [p = path(name)] {
            std::ifstream in(p, std::ios::binary);
            return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
        });
    }
    // Waits until a hidden temporary file appears beside the output; returns its name.
    std::string awaitTemporary() {
        for (int i = 0; i < 3000; ++i) {
            for (const auto& name : files())
                if (name[0] == '.') return name;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return "";
    }
    std::string victim_;
};

int gGoPipe[2];
void waitForGo() {
    char c;
    (void)!read(gGoPipe[0], &c, 1);
}

TEST_F(OutputSafety, ATemporaryNameCannotBePlantedInAdvance) {
    // Every name derived from what others can know (the output's name, the process id, a counter) is
    // planted as a link to the user's file before zarpa starts.
    ASSERT_EQ(pipe(gGoPipe), 0);
    const pid_t pid = startZarpa({"render", "in.wav", "out.wav", "--quiet"}, waitForGo);
    for (int n = 0; n < 4; ++n)
        for (const std::string& name :
             {".out.wav.zarpa-" + std::to_string(pid) + "-" + std::to_string(n) + ".part",
              ".out.wav.zarpa-" + std::to_string(pid) + ".part", ".tmp-out.wav." + std::to_string(pid) + "." + std::to_string(n)})
            symlink(victim_.c_str(), path(name).c_str());
    const auto planted = files();
    ASSERT_EQ(write(gGoPipe[1], "g", 1), 1);
    EXPECT_EQ(finish(pid, 60), 0);
    EXPECT_EQ(victimText(), "precious");
    EXPECT_EQ(readAudio("out.wav").frames(), 3000u);
    auto after = files();
    after.erase("out.wav");
    EXPECT_EQ(after, planted) << "no temporary file left, no planted link touched";
}

TEST_F(OutputSafety, TheTemporaryFileIsPrivateAndItsNameShort) {
    const pid_t pid = startZarpa({"demo", "out.wav", "--seconds", "30", "--block", "1", "--quiet"});
    const std::string temp = awaitTemporary();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(modeOf(temp) & 0777, 0600u) << "readable by its owner only until it is in place";
    EXPECT_LE(temp.size(), 20u);
    kill(pid, SIGTERM);
    EXPECT_EQ(finish(pid, 10), 128 + SIGTERM);

    // An output name near the file system's limit of 255 bytes still works.
    const std::string longName = std::string(251, 'n') + ".wav";
    EXPECT_EQ(zarpa({"render", "in.wav", longName, "--quiet"}).exitCode, 0);
    EXPECT_EQ(readAudio(longName).frames(), 3000u);
}

TEST_F(OutputSafety, AFifoIsWrittenIntoAndStaysAFifo) {
    const Result plain = zarpa({"render", "in.wav", "plain.wav", "--quiet"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    for (const char* force : {"--force", "--quiet"}) {  // an existing FIFO needs no --force
        ASSERT_EQ(mkfifo(path("pipe.wav").c_str(), 0600), 0);
        auto received = drain("pipe.wav");
        const Result r = zarpa({"render", "in.wav", "pipe.wav", force});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        close(open(path("pipe.wav").c_str(), O_WRONLY | O_NONBLOCK));  // frees the reader if zarpa never came
        EXPECT_TRUE(received.get() == readBytes("plain.wav")) << "the FIFO's reader gets the whole file";
        EXPECT_TRUE(S_ISFIFO(modeOf("pipe.wav")));
        EXPECT_EQ(files(), (std::set<std::string>{"in.wav", "plain.wav", "pipe.wav"}));
        fs::remove(path("pipe.wav"));
    }
}

TEST_F(OutputSafety, DashIsStandardInputAndOutputAndTheReportGoesToStandardError) {
    const Result plain = zarpa({"render", "in.wav", "plain.wav", "--quiet"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    const Result piped = zarpa({"render", "-", "-", "--format", "wav"}, "in.wav");
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    const auto expected = readBytes("plain.wav");
    EXPECT_TRUE(piped.out == std::string(expected.begin(), expected.end())) << "only the audio on standard output";
    EXPECT_NE(piped.err.find("zarpa: - -> -"), std::string::npos) << piped.err;

    // A pipe, not a file, on standard input; the JSON report beside the audio.
    ASSERT_EQ(mkfifo(path("feed").c_str(), 0600), 0);
    auto feeder = std::async(std::launch::async, [&] { std::ofstream(path("feed"), std::ios::binary) << std::string(expected.begin(), expected.end()); });
    const Result fromPipe = zarpa({"render", "-", "-", "--format", "wav", "--json"}, "feed");
    feeder.get();
    EXPECT_EQ(fromPipe.exitCode, 0) << fromPipe.err;
    EXPECT_EQ(fromPipe.out.size(), expected.size());
    EXPECT_NE(fromPipe.err.find("\"output\": {\"path\": \"-\""), std::string::npos) << fromPipe.err;
    EXPECT_EQ(zarpa({"render", "-", "-", "--format", "wav", "--save-chunk", "-"}, "in.wav").exitCode, 1);

    // /dev/stdout is a link to a pipe that has no path: written into like "-".
    const std::string line = "cd " + dir_.string() + " && " + ZARPA_TEST_EXE +
                             " render in.wav /dev/stdout --format wav --quiet | cat > devstdout.wav";
    EXPECT_EQ(std::system(("bash -o pipefail -c '" + line + "'").c_str()), 0);
    EXPECT_TRUE(readBytes("devstdout.wav") == expected);
}

TEST_F(OutputSafety, AReaderThatGoesAwayIsAnErrorThatLeavesNothing) {
    writeAudio("long.wav", quietSignal(44100, 2, 441000));  // far more than a pipe holds
    const auto before = files();
    const std::string line = "cd " + dir_.string() + " && " + ZARPA_TEST_EXE +
                             " render long.wav - --format wav --save-chunk state.bin --quiet 2>/dev/null"
                             " | head -c 10 >/dev/null; exit ${PIPESTATUS[0]}";
    const int status = std::system(("bash -c '" + line + "'").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2) << "a write error, not death by SIGPIPE";
    EXPECT_EQ(files(), before);
}

TEST_F(OutputSafety, DevicesAreWrittenIntoOrRefusedNeverReplaced) {
    if (mknod(path("null.wav").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "cannot make device nodes here";
    const Result toDevice = zarpa({"render", "in.wav", "null.wav", "--force", "--quiet"});
    EXPECT_EQ(toDevice.exitCode, 0) << toDevice.err;
    EXPECT_TRUE(S_ISCHR(modeOf("null.wav")));

    ASSERT_EQ(mknod(path("disk.wav").c_str(), S_IFBLK | 0600, makedev(7, 200)), 0);
    const Result toBlock = zarpa({"render", "in.wav", "disk.wav", "--force", "--quiet"});
    EXPECT_EQ(toBlock.exitCode, 1);
    EXPECT_NE(toBlock.err.find("disk.wav is a block device"), std::string::npos) << toBlock.err;
    EXPECT_TRUE(S_ISBLK(modeOf("disk.wav")));
    EXPECT_EQ(files(), (std::set<std::string>{"in.wav", "null.wav", "disk.wav"}));
}

TEST_F(OutputSafety, ALinkIsFollowedAndItsTargetReplacedWithModeAndOwnerKept) {
    writeBytes("real.wav", {'o', 'l', 'd'});
    ASSERT_EQ(chmod(path("real.wav").c_str(), 0640), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(path("real.wav").c_str(), 1234, 5678), 0);
    }
    ASSERT_EQ(symlink("real.wav", path("link.wav").c_str()), 0);

    EXPECT_EQ(zarpa({"render", "in.wav", "link.wav", "--quiet"}).exitCode, 1) << "the target exists: --force";
    const Result r = zarpa({"render", "in.wav", "link.wav", "--force", "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(S_ISLNK(modeOf("link.wav")));
    EXPECT_EQ(readAudio("real.wav").frames(), 3000u);
    EXPECT_EQ(modeOf("real.wav") & 07777, 0640u);
    struct stat st{};
    stat(path("real.wav").c_str(), &st);
    if (root) {
        EXPECT_EQ(st.st_uid, 1234u);
        EXPECT_EQ(st.st_gid, 5678u);
    }

    ASSERT_EQ(symlink("nowhere/x.wav", path("dangling.wav").c_str()), 0);
    const Result dangling = zarpa({"render", "in.wav", "dangling.wav", "--force", "--quiet"});
    EXPECT_EQ(dangling.exitCode, 1);
    EXPECT_NE(dangling.err.find("dangling.wav is a symbolic link to nothing"), std::string::npos) << dangling.err;
}

TEST_F(OutputSafety, ANewFileGetsTheModeOfTheUsersMask) {
    const mode_t old = umask(027);
    const Result r = zarpa({"render", "in.wav", "out.wav", "--save-chunk", "state.bin", "--quiet"});
    umask(old);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(modeOf("out.wav") & 07777, 0640u);
    EXPECT_EQ(modeOf("state.bin") & 07777, 0640u);
}

void limitFileSize() {
    signal(SIGXFSZ, SIG_IGN);
    rlimit small{20000, 20000};
    setrlimit(RLIMIT_FSIZE, &small);
}

TEST_F(OutputSafety, AFailedWriteNamesTheOutputAndLeavesNothing) {
    writeAudio("long.wav", quietSignal(44100, 2, 44100));
    const pid_t pid = startZarpa({"render", "long.wav", "out.wav", "--quiet"}, limitFileSize);
    EXPECT_EQ(finish(pid, 60), 2);
    std::ifstream err(dir_ / ".config" / "stderr");
    const std::string message(std::istreambuf_iterator<char>(err), {});
    EXPECT_EQ(message.rfind("zarpa: out.wav: ", 0), 0u) << message;
    EXPECT_EQ(message.find(".zarpa"), std::string::npos) << message;
    EXPECT_EQ(files(), (std::set<std::string>{"in.wav", "long.wav"}));
}

class Signals : public OutputSafety {};

// zarpa starts with the signals held back, so that one sent while a slow machine is still loading it
// arrives once zarpa handles it instead of ending it unhandled.
void holdSignalsBack() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, s);
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

TEST_F(Signals, EachEndsALongRenderPromptlyWithNothingLeft) {
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        const auto before = files();
        const pid_t pid = startZarpa({"demo", "long.wav", "--seconds", "60", "--block", "1", "--quiet"});
        ASSERT_FALSE(awaitTemporary().empty());
        kill(pid, s);
        EXPECT_EQ(finish(pid, 10), 128 + s) << strsignal(s);
        EXPECT_EQ(files(), before) << strsignal(s);
    }
}

TEST_F(Signals, EndAWaitForAFifo) {
    ASSERT_EQ(mkfifo(path("feed.wav").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(path("sink.wav").c_str(), 0600), 0);
    const auto before = files();
    struct Case {
        std::vector<std::string> args;
        int signal;
    };
    for (const Case& c : {Case{{"render", "feed.wav", "out.wav"}, SIGINT},      // no writer
                          Case{{"render", "in.wav", "sink.wav"}, SIGTERM},      // no reader
                          Case{{"render", "in.wav", "out.wav", "--chunk", "feed.wav"}, SIGHUP}}) {
        const pid_t pid = startZarpa(c.args, holdSignalsBack);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        kill(pid, c.signal);
        EXPECT_EQ(finish(pid, 5), 128 + c.signal) << c.args[1] << " " << c.args[2];
        EXPECT_EQ(files(), before);
    }
}

}  // namespace
}  // namespace zarpacli::test
