// zarpa-snapshot: writes a PNG of the editor window.
//
//   zarpa-snapshot OUT.png [--preset NAME] [--set INDEX=VALUE]... [--signal none|sine|noise]
//                          [--level DBFS] [--seconds S] [--rate HZ] [--info] [--scale 1|1.5|2]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/parameters.h"
#include "tools/snapshot/editor_snapshot.h"
#include "tools/snapshot/png_writer.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: zarpa-snapshot OUT.png [--preset NAME] [--set INDEX=VALUE]... [--signal none|sine|noise]\n"
                 "                      [--level DBFS] [--seconds S] [--rate HZ] [--info] [--scale 1|1.5|2]\n"
                 "Draws the editor window (524 x 462, 786 x 693 at 1.5, 1048 x 924 at 2) without a display and\n"
                 "writes it as a PNG. With a signal,\n"
                 "the meters first watch it run through the effect on a simulated 40 ms idle clock.\n");
    return 2;
}

bool parseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zarpa::snapshot;
    Options options;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        double number = 0.0;
        if (arg == "--preset" && hasValue) {
            options.preset = argv[++i];
        } else if (arg == "--signal" && hasValue) {
            const std::string kind = argv[++i];
            if (kind == "none") options.signal = Signal::None;
            else if (kind == "sine") options.signal = Signal::Sine;
            else if (kind == "noise") options.signal = Signal::Noise;
            else return usage();
        } else if (arg == "--level" && hasValue && parseNumber(argv[i + 1], number)) {
            options.levelDb = number;
            ++i;
        } else if (arg == "--seconds" && hasValue && parseNumber(argv[i + 1], number) && number >= 0 && number <= 600) {
            options.seconds = number;
            ++i;
        } else if (arg == "--rate" && hasValue && parseNumber(argv[i + 1], number) && number > 0 && number <= 384000) {
            options.sampleRate = static_cast<float>(number);
            ++i;
        } else if (arg == "--set" && hasValue) {
            const std::string assignment = argv[++i];
            const auto eq = assignment.find('=');
            double index = 0.0, value = 0.0;
            if (eq == std::string::npos || !parseNumber(assignment.substr(0, eq).c_str(), index) ||
                !parseNumber(assignment.substr(eq + 1).c_str(), value) || index < 0 || index >= static_cast<double>(zarpa::kParamCount) ||
                value < 0.0 || value > 1.0)
                return usage();
            options.parameters.emplace_back(static_cast<int>(index), static_cast<float>(value));
        } else if (arg == "--scale" && hasValue && parseNumber(argv[i + 1], number) &&
                   (number == 1.0 || number == 1.5 || number == 2.0)) {
            options.scalePercent = static_cast<int>(number * 100);
            ++i;
        } else if (arg == "--info") {
            options.infoPanel = true;
        } else if (!arg.empty() && arg[0] != '-' && output.empty()) {
            output = arg;
        } else {
            return usage();
        }
    }
    if (output.empty()) return usage();

    Image image;
    std::string error;
    if (!render(options, image, error) || !writePng(output, image, error)) {
        std::fprintf(stderr, "zarpa-snapshot: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
