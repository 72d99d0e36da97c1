// Parameter table, step helpers, mappings and texts.
#include "engine/parameters.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace zarpa {

namespace {

const char* const kOffOn[] = {"off", "on"};
const char* const kShapes[] = {"hard", "med", "soft"};
const char* const kOrders[] = {"I", "II"};
const char* const kScales[] = {"K-12", "K-14", "K-20"};
const char* const kBitTexts[] = {"8", "16", "24"};
const char* const kNoiseShapes[] = {"off", "type A", "type B", "type C"};
const char* const kCalibrations[] = {"off", "left", "l+r uncor", "right"};
const char* const kMeterTypes[] = {"peak", "k-system"};
const char* const kZooms[] = {"24dB", "12dB"};
const char* const kPrePost[] = {"pre", "post"};

const ParamInfo kParams[kParamCount] = {
    {"Output", "dB", 0, nullptr, Display::DbOfOutput},
    {"Drive", "dB", 0, nullptr, Display::DbOfDrive},
    {"Transient", "ms", 0, nullptr, Display::Transient},
    {"Release", "ms", 0, nullptr, Display::Release},
    {"TransShape", "", 3, kShapes, Display::Steps},
    {"L/R Link", "", 0, nullptr, Display::Percent},
    {"Oversample", "", 2, kOffOn, Display::Steps},
    {"DetectorOrder", "", 2, kOrders, Display::Steps},
    {"Power", "", 2, kOffOn, Display::Steps},
    {"Scale", "", 3, kScales, Display::Steps},
    {"Bits", "", 3, kBitTexts, Display::Steps},
    {"NoiseShape", "", 4, kNoiseShapes, Display::Steps},
    {"Calibrate", "", 4, kCalibrations, Display::Steps},
    {"Leveller", "dB", 0, nullptr, Display::DbOfValue},
    {"MeterOvs", "", 2, kOffOn, Display::Steps},
    {"AutoOut", "", 2, kOffOn, Display::Steps},
    {"Quantize", "", 2, kOffOn, Display::Steps},
    {"Autoblack", "", 2, kOffOn, Display::Steps},
    {"MeterType", "", 2, kMeterTypes, Display::Steps},
    {"AttZoom", "", 2, kZooms, Display::Steps},
    {"AttShow", "", 8, nullptr, Display::AttShowBits},
    {"PostMeter", "", 2, kPrePost, Display::Steps},
    {"dummy", "", 0, nullptr, Display::None},
    {"dummy", "", 0, nullptr, Display::None},
    {"dummy", "", 0, nullptr, Display::None},
    {"resvd-vid", "", 0, nullptr, Display::None},
};

}  // namespace

const ParamInfo& paramInfo(int index) { return kParams[index]; }

int valueToStep(float x, int n) {
    const float scaled = static_cast<float>(n) * x;  // 32-bit product: valueToStep(0.01f, 100) is 1
    if (!(scaled >= 1.0f)) return 0;                 // also NaN and negative values
    if (scaled >= static_cast<float>(n)) return n - 1;
    const int step = static_cast<int>(scaled);
    return step > n - 1 ? n - 1 : step;
}

float stepToValue(int i, int n) {
    return static_cast<float>(static_cast<double>(i) / n + 0.5 / n);
}

// Integer digits from the lowest up, then the fraction's digits from the lowest up, 8 characters in all.
void formatNumber(float value, char* out) {
    double v = value;
    int count = 0;
    bool negative = false;
    if (v < 0) {
        negative = true;
        v = -v;
        ++count;
    }
    if (!std::isfinite(v) || v > (negative ? 9999999.0 : 99999999.0)) {
        std::strcpy(out, "Huge!");
        return;
    }
    char buffer[32];
    char* s = buffer + 31;
    *s-- = 0;
    *s-- = '.';
    ++count;
    double integer = std::floor(v);
    *s-- = static_cast<char>('0' + static_cast<int>(std::fmod(integer, 10.0)));
    integer /= 10.0;
    ++count;
    while (integer >= 1.0 && count < 8) {
        *s-- = static_cast<char>('0' + static_cast<int>(std::fmod(integer, 10.0)));
        integer /= 10.0;
        ++count;
    }
    if (negative) *s-- = '-';
    std::strcpy(out, s + 1);
    if (count >= 8) return;

    s = buffer + 31;
    *s-- = 0;
    double mantissa = std::fmod(v, 1.0) * std::pow(10.0, 8 - count);
    while (count < 8) {
        if (mantissa <= 0) {
            *s-- = '0';
        } else {
            *s-- = static_cast<char>('0' + static_cast<int>(std::fmod(mantissa, 10.0)));
            mantissa /= 10.0;
        }
        ++count;
    }
    std::strcat(out, s + 1);
}

// In 32-bit float, as the texts users know were made: the gain narrowed to float, its logarithm rounded
// to float, and the product with 20 rounded to float (0.25 gives -12.0412 where 64-bit arithmetic gives
// -12.0411997 and so -12.0411). The logarithm is taken in 64-bit and rounded once, so that both targets'
// maths libraries give the same float.
void formatDb(double gain, char* out) {
    const float g = static_cast<float>(gain);
    if (!(g > 0.0f)) {
        std::strcpy(out, "-oo");
        return;
    }
    const float log10g = static_cast<float>(std::log10(static_cast<double>(g)));
    formatNumber(20.0f * log10g, out);
}

double outputGain(float x) { return std::pow(2.0, 2.0 * (static_cast<double>(x) - 1.0)); }
double driveGain(float x) { return std::pow(2.0, 8.0 * (static_cast<double>(x) - 0.5)); }
double transientMix(float x) {
    const double scaled = 1.4142136 * static_cast<double>(x);
    return scaled * scaled / 4.0;
}
double releaseMs(float x) {
    // x^0.82030212 is undefined below 0; a misbehaving host's negative value gives the 1 ms end.
    const double base = x > 0 ? static_cast<double>(x) : 0.0;
    return std::pow(10.0, 3.0 * std::pow(base, 0.82030212));
}
double levellerThreshold(float x) { return std::pow(2.0, 2.0 * (static_cast<double>(x) - 1.0)); }

bool formatDisplay(int index, float x, char* out) {
    if (index < 0 || index >= kParamCount) return false;
    const ParamInfo& info = kParams[index];
    switch (info.display) {
        case Display::None: return false;
        case Display::Steps: std::strcpy(out, info.stepTexts[valueToStep(x, info.steps)]); return true;
        case Display::DbOfOutput: formatDb(outputGain(x), out); return true;
        case Display::DbOfDrive: formatDb(driveGain(x), out); return true;
        case Display::DbOfValue: formatDb(x, out); return true;
        case Display::Transient: formatNumber(static_cast<float>(transientMix(x)), out); return true;
        case Display::Release: formatNumber(static_cast<float>(releaseMs(x)), out); return true;
        case Display::Percent: formatNumber(static_cast<float>(100.0 * x), out); return true;
        case Display::AttShowBits: {
            const int mask = valueToStep(x, 8);
            char* p = out;
            if (mask & 1) *p++ = '1';
            if (mask & 2) *p++ = '2';
            if (mask & 4) *p++ = 'L';
            *p = 0;
            return true;
        }
    }
    return false;
}

}  // namespace zarpa
