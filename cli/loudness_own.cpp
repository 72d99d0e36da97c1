// The loudness analyzer of builds without libebur128: our own BS.1770 meter.
#include "cli/bs1770.h"

namespace zarpacli {

std::unique_ptr<LoudnessAnalyzer> makeLoudnessAnalyzer(int channels, int sampleRate) {
    return std::make_unique<Bs1770Analyzer>(channels, sampleRate);
}

}  // namespace zarpacli
