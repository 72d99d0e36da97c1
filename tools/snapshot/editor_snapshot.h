// The editor's window as an image, drawn without a display: an effect is created in-process, a program
// and parameters are applied, an optional test signal runs through it while the editor's idle pass
// watches its meters on a simulated 40 ms clock, and the frame's framebuffer is copied out.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zarpa {
class Plugin;
}

namespace zarpa::snapshot {

enum class Signal { None, Sine, Noise };

struct Options {
    std::string preset;                          // a program name (any letter case); empty keeps program 0
    std::vector<std::pair<int, float>> parameters;  // applied after the program, in order
    Signal signal = Signal::None;
    double levelDb = -6.0;    // peak level of the test signal in dBFS
    double seconds = 1.0;     // how long the signal runs
    float sampleRate = 44100.0f;
    bool infoPanel = false;   // open the info panel
    int scalePercent = 100;   // the editor at 100, 150 or 200 %
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // rows from the top, 3 bytes a pixel

    std::uint32_t pixel(int x, int y) const;  // 0xRRGGBB
};

// Fails (returns false, with a reason) for an unknown preset name.
// Index of the program with this name (any letter case), or -1.
int findProgram(Plugin& plugin, const std::string& name);

bool render(const Options& options, Image& image, std::string& error);

}  // namespace zarpa::snapshot
