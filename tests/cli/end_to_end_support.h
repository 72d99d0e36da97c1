// Running the built `zarpa` on the built plug-in from a test: a scratch directory with a private
// settings store, audio files written and read with libsndfile, and the command's exit code and output.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>

#include <sys/types.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace zarpacli::test {

struct Result {
    int exitCode = -1;
    std::string out;  // stdout
    std::string err;  // stderr
};

struct Audio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<double> samples;  // interleaved
    std::size_t frames() const { return channels ? samples.size() / channels : 0; }
};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    // Runs zarpa with these arguments in the scratch directory, standard input from `input`.
    Result zarpa(const std::vector<std::string>& args, const std::string& input = "/dev/null");
    // Starts zarpa in the scratch directory without waiting (stdin /dev/null, stdout and stderr to
    // files under .config); `beforeExec` runs in the child first.
    pid_t startZarpa(const std::vector<std::string>& args, void (*beforeExec)() = nullptr);
    // The exit code of a started zarpa; -1 if it did not end within `seconds` (it is then killed) or died
    // of a signal.
    int finish(pid_t pid, double seconds);
    void writeAudio(const std::string& name, const Audio& audio, int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    Audio readAudio(const std::string& name);
    std::vector<unsigned char> readBytes(const std::string& name);
    void writeBytes(const std::string& name, const std::vector<unsigned char>& bytes);
    // The names in the scratch directory (the private settings store excluded).
    std::set<std::string> files() const;

    std::filesystem::path dir_;
};

// Deterministic test signals, interleaved. Values are on the 16-bit grid.
Audio quietSignal(int sampleRate, int channels, int frames);                 // peaks near -14 dBFS
Audio hotSignal(int sampleRate, int channels, int frames, double peakGain);  // sines, clicks and noise
Audio sineSignal(int sampleRate, int channels, int frames, double hz, double amplitude);

double maxAbs(const Audio& a);  // the sample peak, linear

// A number or string field of a JSON text, the first after `after` (a plain text search; our reports
// write one field per key and object).
double jsonNumberField(const std::string& json, const std::string& key, const std::string& after = "");
std::string jsonStringField(const std::string& json, const std::string& key, const std::string& after = "");

}  // namespace zarpacli::test
