// Rendering the editor off screen.
#include "tools/snapshot/editor_snapshot.h"

#include <stdlib.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>

#include "editor/editor.h"
#include "editor/my_frame.h"
#include "plugin/plugin.h"

namespace zarpa::snapshot {

namespace {

constexpr std::uint32_t kIdleStepMs = 40;
constexpr int kMaxBlock = 8192;

// The simulated clock of the editor's idle pass.
std::uint32_t gClock = 1000;
std::uint32_t simulatedTick() { return gClock; }

bool sameName(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return i == a.size() && b[i] == 0;
}

// The per-user settings of this process point at an empty directory while it exists, so the picture
// never depends on the preferences or default bank of whoever runs the tool.
class IsolatedSettings {
public:
    IsolatedSettings() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zarpa-snapshot-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return;
        dir_ = pattern;
        if (const char* old = getenv("XDG_CONFIG_HOME")) old_ = old, hadOld_ = true;
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    }
    ~IsolatedSettings() {
        if (dir_.empty()) return;
        if (hadOld_) setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    IsolatedSettings(const IsolatedSettings&) = delete;
    IsolatedSettings& operator=(const IsolatedSettings&) = delete;

private:
    std::string dir_, old_;
    bool hadOld_ = false;
};

// The test signal, block by block: a 997 Hz sine (the right channel 0.5 dB lower) or white noise.
class TestSignal {
public:
    TestSignal(Signal kind, double levelDb, float sampleRate)
        : kind_(kind), amplitude_(std::pow(10.0, levelDb / 20.0)), step_(2.0 * std::numbers::pi * 997.0 / sampleRate) {}

    void fill(float* left, float* right, int frames) {
        for (int i = 0; i < frames; ++i) {
            double l = 0.0, r = 0.0;
            if (kind_ == Signal::Sine) {
                l = amplitude_ * std::sin(phase_);
                r = l * kRightGain;
                phase_ += step_;
            } else if (kind_ == Signal::Noise) {
                l = amplitude_ * nextUniform();
                r = amplitude_ * kRightGain * nextUniform();
            }
            left[i] = static_cast<float>(l);
            right[i] = static_cast<float>(r);
        }
    }

private:
    static constexpr double kRightGain = 0.9440608762859234;  // -0.5 dB
    double nextUniform() {  // -1 .. 1, the same sequence on every run
        seed_ = seed_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(seed_ >> 11) / static_cast<double>(1ULL << 52) - 1.0;
    }

    Signal kind_;
    double amplitude_;
    double step_;
    double phase_ = 0.0;
    std::uint64_t seed_ = 0x5EEDu;
};

}  // namespace

std::uint32_t Image::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    const std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * 3;
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

int findProgram(Plugin& plugin, const std::string& name) {
    for (int k = 0; k < kNumPrograms; ++k) {
        char text[64] = {};
        plugin.getProgramNameIndexed(0, k, text);
        if (sameName(name, text)) return k;
    }
    return -1;
}

bool render(const Options& options, Image& image, std::string& error) {
    IsolatedSettings settings;
    auto plugin = std::make_unique<Plugin>(nullptr);
    plugin->setSampleRate(options.sampleRate);
    if (!options.preset.empty()) {
        const int program = findProgram(*plugin, options.preset);
        if (program < 0) {
            error = "no program named \"" + options.preset + "\"";
            return false;
        }
        plugin->selectProgram(program);
    }
    for (const auto& [index, value] : options.parameters) plugin->setParameter(index, value);

    auto* editor = static_cast<Editor*>(plugin->getEditor());
    gClock = 1000;
    editor->setTickSource(&simulatedTick);
    editor->setContentScaleFactor(static_cast<float>(options.scalePercent) / 100.0f);  // nothing is stored here
    editor->open(nullptr);
    MyFrame* frame = editor->getMyFrame();

    if (options.signal != Signal::None) {
        TestSignal signal(options.signal, options.levelDb, options.sampleRate);
        const int block = std::min(kMaxBlock, static_cast<int>(options.sampleRate * kIdleStepMs / 1000));
        std::vector<float> in[2], out[2];
        for (int ch = 0; ch < 2; ++ch) in[ch].resize(block), out[ch].resize(block);
        float* inputs[2] = {in[0].data(), in[1].data()};
        float* outputs[2] = {out[0].data(), out[1].data()};
        const auto blocks = static_cast<long>(options.seconds * 1000.0 / kIdleStepMs);
        for (long b = 0; b < blocks; ++b) {
            signal.fill(inputs[0], inputs[1], block);
            plugin->processReplacing(inputs, outputs, block);
            gClock += kIdleStepMs;
            editor->idle();
        }
    }
    if (options.infoPanel) {
        CPoint hotArea(262, 385);
        frame->onMouseDown(hotArea, kLButton);
        frame->onMouseUp(hotArea, 0);
    }
    gClock += kIdleStepMs;
    frame->setDirty(true);  // the whole window, not only what changed last
    editor->idle();

    const CDrawContext* pixels = frame->getBackBuffer();
    image.width = pixels->getWidth();
    image.height = pixels->getHeight();
    image.rgb.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3);
    std::uint8_t* out = image.rgb.data();
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const CColor c = fromPixel(pixels->getPixel(x, y));
            *out++ = c.red;
            *out++ = c.green;
            *out++ = c.blue;
        }
    editor->close();
    return true;
}

}  // namespace zarpa::snapshot
