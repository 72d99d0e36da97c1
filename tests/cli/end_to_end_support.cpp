// Scratch directories, process runs, audio files and signals for the end-to-end tests.
#include "end_to_end_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <sstream>

namespace zarpacli::test {

namespace fs = std::filesystem;

namespace {

std::string quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A deterministic noise source in [-1, 1).
struct Noise {
    std::uint32_t state = 12345u;
    double next() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) * (2.0 / 16777216.0) - 1.0;
    }
};

double onGrid16(double v) { return std::round(v * 32768.0) / 32768.0; }

}  // namespace

void EndToEnd::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           (std::string("zarpa-cli-") + info->test_suite_name() + "-" + info->name() + "-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / ".config");
    // A private settings store: a stored default bank must not change the factory programs under test.
    setenv("XDG_CONFIG_HOME", (dir_ / ".config").c_str(), 1);
    setenv("ZARPA_PLUGIN", ZARPA_TEST_PLUGIN, 1);
}

void EndToEnd::TearDown() { fs::remove_all(dir_); }

Result EndToEnd::zarpa(const std::vector<std::string>& args, const std::string& input) {
    std::string command = std::string("cd ") + quoted(dir_.string()) + " && " + quoted(ZARPA_TEST_EXE);
    for (const auto& a : args) command.append(" ").append(quoted(a));
    const fs::path out = dir_ / ".config" / "stdout", err = dir_ / ".config" / "stderr";
    command.append(" >").append(quoted(out.string())).append(" 2>").append(quoted(err.string())).append(" <").append(quoted(input));
    const int status = std::system(command.c_str());
    Result r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
}

pid_t EndToEnd::startZarpa(const std::vector<std::string>& args, void (*beforeExec)()) {
    std::vector<std::string> argv{ZARPA_TEST_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (auto& a : argv) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    const std::string out = (dir_ / ".config" / "stdout").string(), err = (dir_ / ".config" / "stderr").string();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir_.c_str()) != 0 || !freopen("/dev/null", "r", stdin) || !freopen(out.c_str(), "w", stdout) ||
            !freopen(err.c_str(), "w", stderr))
            _exit(99);
        if (beforeExec) beforeExec();
        execv(pointers[0], pointers.data());
        _exit(98);
    }
    return pid;
}

int EndToEnd::finish(pid_t pid, double seconds) {
    int status = 0;
    for (double waited = 0.0; waited < seconds; waited += 0.01) {
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

void EndToEnd::writeAudio(const std::string& name, const Audio& audio, int format) {
    SF_INFO info{};
    info.samplerate = audio.sampleRate;
    info.channels = audio.channels;
    info.format = format;
    SNDFILE* f = sf_open(path(name).c_str(), SFM_WRITE, &info);
    ASSERT_TRUE(f) << sf_strerror(nullptr);
    sf_command(f, SFC_SET_CLIPPING, nullptr, SF_FALSE);
    EXPECT_EQ(sf_writef_double(f, audio.samples.data(), static_cast<sf_count_t>(audio.frames())),
              static_cast<sf_count_t>(audio.frames()));
    sf_close(f);
}

Audio EndToEnd::readAudio(const std::string& name) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path(name).c_str(), SFM_READ, &info);
    Audio a;
    EXPECT_TRUE(f) << name << ": " << sf_strerror(nullptr);
    if (!f) return a;
    a.sampleRate = info.samplerate;
    a.channels = info.channels;
    a.samples.resize(static_cast<std::size_t>(info.frames) * info.channels);
    sf_readf_double(f, a.samples.data(), info.frames);
    sf_close(f);
    return a;
}

std::vector<unsigned char> EndToEnd::readBytes(const std::string& name) {
    const std::string s = slurp(dir_ / name);
    return {s.begin(), s.end()};
}

void EndToEnd::writeBytes(const std::string& name, const std::vector<unsigned char>& bytes) {
    std::ofstream(dir_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                        static_cast<std::streamsize>(bytes.size()));
}

std::set<std::string> EndToEnd::files() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_))
        if (e.path().filename() != ".config") names.insert(e.path().filename().string());
    return names;
}

Audio quietSignal(int sampleRate, int channels, int frames) {
    Audio a{sampleRate, channels, {}};
    Noise noise;
    for (int n = 0; n < frames; ++n)
        for (int c = 0; c < channels; ++c) {
            double v = 0.1 * std::sin(2.0 * std::numbers::pi * (220.0 + 110.0 * c) * n / sampleRate) + 0.05 * noise.next();
            if (n % 997 == 13) v = c ? -0.2 : 0.2;  // clicks: single-sample transients
            a.samples.push_back(onGrid16(v));
        }
    return a;
}

Audio hotSignal(int sampleRate, int channels, int frames, double peakGain) {
    Audio a{sampleRate, channels, {}};
    Noise noise;
    for (int n = 0; n < frames; ++n)
        for (int c = 0; c < channels; ++c) {
            const double t = static_cast<double>(n) / sampleRate;
            double v = 0.5 * std::sin(2.0 * std::numbers::pi * 60.0 * t) + 0.3 * std::sin(2.0 * std::numbers::pi * 5000.0 * t + c) +
                       0.2 * noise.next();
            if (n % 2000 < 3) v = (n % 4000 < 3 ? 1.0 : -1.0);  // full-scale clicks
            a.samples.push_back(onGrid16(v * peakGain));
        }
    return a;
}

Audio sineSignal(int sampleRate, int channels, int frames, double hz, double amplitude) {
    Audio a{sampleRate, channels, {}};
    for (int n = 0; n < frames; ++n)
        for (int c = 0; c < channels; ++c)
            a.samples.push_back(amplitude * std::sin(2.0 * std::numbers::pi * hz * n / sampleRate));
    return a;
}

double maxAbs(const Audio& a) {
    double m = 0.0;
    for (double v : a.samples) m = std::max(m, std::fabs(v));
    return m;
}

double jsonNumberField(const std::string& json, const std::string& key, const std::string& after) {
    std::size_t from = after.empty() ? 0 : json.find(after);
    if (from == std::string::npos) return NAN;
    std::size_t at = json.find("\"" + key + "\": ", from);
    if (at == std::string::npos) return NAN;
    return std::strtod(json.c_str() + at + key.size() + 4, nullptr);
}

std::string jsonStringField(const std::string& json, const std::string& key, const std::string& after) {
    std::size_t from = after.empty() ? 0 : json.find(after);
    if (from == std::string::npos) return "<no " + after + ">";
    std::size_t at = json.find("\"" + key + "\": \"", from);
    if (at == std::string::npos) return "<no " + key + ">";
    at += key.size() + 5;
    return json.substr(at, json.find('"', at) - at);
}

}  // namespace zarpacli::test
