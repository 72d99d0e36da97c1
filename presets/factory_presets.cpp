// The factory presets. Each row gives the values that differ between presets; the rest are the same in
// all of them (Power on, Calibrate, AutoOut, Autoblack, AttZoom and PostMeter at their first step,
// AttShow all three bits, the placeholders 0 and the version marker 0.015).
#include "presets/factory_presets.h"

#include <array>
#include <utility>

namespace zarpa {

namespace {

struct Row {
    const char* name;
    float output, drive, transient, release, transShape, link, oversample, detectorOrder;
    float scale, bits, noiseShape, leveller, meterOvs, quantize, meterType;
};

constexpr FactoryPreset make(const Row& r) {
    return {r.name,
            {r.output, r.drive, r.transient, r.release, r.transShape, r.link, r.oversample, r.detectorOrder,
             /*Power*/ 1.0f, r.scale, r.bits, r.noiseShape, /*Calibrate*/ 0.0f, r.leveller, r.meterOvs,
             /*AutoOut*/ 0.0f, r.quantize, /*Autoblack*/ 0.0f, r.meterType, /*AttZoom*/ 0.0f,
             /*AttShow*/ 0.9375f, /*PostMeter*/ 0.0f, 0.0f, 0.0f, 0.0f, /*resvd-vid*/ 0.015f}};
}

//  name                      Output     Drive      Trans.     Release    Shape      Link   Ovs DetO Scale  Bits   NShape Lev.       MOvs Quant MType
constexpr Row kRows[kNumPrograms] = {
    {"Default",               1.0f,      0.5f,      0.2f,      0.7237f,   0.166667f, 1.0f,  0,  0,  0.165f, 0.5f,  0.125f, 1.0f,      0,  0.25f, 0.25f},
    {"Limiter Smooth",        0.999167f, 0.5625f,   0.150375f, 0.723711f, 0.833333f, 1.0f,  0,  0,  0.165f, 0.5f,  0.125f, 1.0f,      0,  0.25f, 0.25f},
    {"Limiter Gentle",        0.999167f, 0.604167f, 0.353483f, 0.656363f, 0.5f,      1.0f,  0,  0,  0.165f, 0.5f,  0.125f, 1.0f,      0,  0.25f, 0.25f},
    {"Limiter Fast",          0.999167f, 0.625f,    0.45f,     0.5f,      0.5f,      1.0f,  0,  0,  0.165f, 0.5f,  0.125f, 1.0f,      0,  0.25f, 0.25f},
    {"Limiter Hard",          0.999167f, 0.625f,    0.5f,      0.656363f, 0.166667f, 0.5f,  0,  0,  0.165f, 0.5f,  0.125f, 1.0f,      0,  0.25f, 0.25f},
    {"Loudness 1",            0.999167f, 0.604167f, 0.238667f, 0.656363f, 0.5f,      0.5f,  0,  0,  0.165f, 0.5f,  0.125f, 0.5f,      0,  0.25f, 0.25f},
    {"Loudness 2",            0.999167f, 0.625f,    0.404367f, 0.656363f, 0.833333f, 0.5f,  0,  1,  0.165f, 0.5f,  0.125f, 0.5f,      0,  0.25f, 0.25f},
    {"Loudness 3",            0.999167f, 0.6875f,   0.5f,      0.5f,      0.5f,      0.33f, 0,  0,  0.165f, 0.5f,  0.125f, 0.25f,     0,  0.25f, 0.25f},
    {"CD Master 1",           0.999167f, 0.583333f, 0.25f,     0.723711f, 0.833333f, 1.0f,  0,  0,  0.5f,   0.5f,  0.625f, 0.5f,      0,  0.75f, 0.75f},
    {"CD Master 2",           0.999167f, 0.625f,    0.4f,      0.610005f, 0.5f,      1.0f,  0,  0,  0.5f,   0.5f,  0.875f, 0.5f,      0,  0.75f, 0.75f},
    {"CD Master 3 [recon]",   0.999167f, 0.625f,    0.4f,      0.656363f, 0.5f,      1.0f,  1,  0,  0.5f,   0.5f,  0.875f, 0.333333f, 1,  0.75f, 0.75f},
    {"Game 1",                0.999167f, 0.625f,    0.3f,      0.610005f, 0.33f,     0.5f,  0,  0,  0.165f, 0.165f, 0.375f, 0.5f,     0,  0.75f, 0.25f},
    {"Game 2",                0.999167f, 0.625f,    0.5f,      0.5f,      0.5f,      0.5f,  0,  0,  0.165f, 0.165f, 0.625f, 0.5f,     0,  0.75f, 0.25f},
    {"TV Limiter",            0.166667f, 0.625f,    0.4f,      0.676097f, 0.5f,      1.0f,  0,  0,  0.165f, 0.5f,  0.125f, 1.0f,      0,  0.25f, 0.75f},
    {"TV Loudness",           0.166667f, 0.625f,    0.4f,      0.610005f, 0.5f,      1.0f,  0,  0,  0.165f, 0.5f,  0.125f, 0.5f,      0,  0.25f, 0.75f},
    {"TV Hot",                0.166667f, 0.6875f,   0.5f,      0.465453f, 0.5f,      0.33f, 0,  0,  0.165f, 0.5f,  0.125f, 0.5f,      0,  0.25f, 0.75f},
    {"HiRes Limiter",         0.999167f, 0.583333f, 0.15f,     0.676097f, 0.833333f, 1.0f,  0,  0,  0.825f, 0.825f, 0.625f, 1.0f,     0,  0.75f, 0.75f},
    {"HiRes Loudness",        0.999167f, 0.625f,    0.3f,      0.563874f, 0.833333f, 0.5f,  0,  0,  0.825f, 0.825f, 0.875f, 0.5f,     0,  0.75f, 0.75f},
    {"Cine 1",                0.999167f, 0.583333f, 0.1f,      0.723711f, 0.833333f, 1.0f,  0,  0,  0.825f, 0.825f, 0.625f, 1.0f,     0,  0.75f, 0.75f},
    {"Cine 2 [recon]",        0.999167f, 0.625f,    0.3f,      0.676097f, 0.833333f, 1.0f,  1,  0,  0.825f, 0.825f, 0.875f, 0.5f,     1,  0.75f, 0.75f},
    {"Cine 3",                0.999167f, 0.645833f, 0.4f,      0.610005f, 0.5f,      1.0f,  0,  0,  0.825f, 0.825f, 0.875f, 0.25f,    0,  0.75f, 0.75f},
    {"Loud Love",             0.999167f, 0.6875f,   0.6f,      0.5f,      0.833333f, 0.66f, 0,  0,  0.165f, 0.5f,  0.125f, 0.5f,      0,  0.25f, 0.25f},
    {"Loud It Up",            0.999167f, 0.6875f,   0.5f,      0.5f,      0.166667f, 0.33f, 0,  0,  0.165f, 0.5f,  0.125f, 0.5f,      0,  0.25f, 0.25f},
    {"Total Disorder",        0.999167f, 0.75f,     0.8f,      0.436034f, 0.33f,     0.0f,  0,  0,  0.165f, 0.5f,  0.0f,   0.5f,      0,  0.25f, 0.25f},
};

template <std::size_t... I>
constexpr auto build(std::index_sequence<I...>) {
    return std::array<FactoryPreset, sizeof...(I)>{make(kRows[I])...};
}

constexpr std::array<FactoryPreset, kNumPrograms> kPresets = build(std::make_index_sequence<kNumPrograms>{});

}  // namespace

const FactoryPreset& factoryPreset(int k) { return kPresets[static_cast<std::size_t>(k)]; }

}  // namespace zarpa
