// A music-like stereo test signal for the benchmarks: kick, bass, chords and noisy hats, peaking
// near full scale so that every preset's drive pushes it into limiting.
#pragma once

#include <vector>

namespace zarpabench {

struct TestSignal {
    std::vector<float> l, r;
    std::vector<double> l64, r64;
};

TestSignal makeTestSignal(int sampleRate, double seconds);

}  // namespace zarpabench
