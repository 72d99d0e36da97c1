// The parameter table: names, labels, steps and display texts of the 26 parameters, the step helpers
// and the 8-character number and dB texts. One source of truth for the plug-in, the editor and tests.
#pragma once

#include "engine/parameter_index.h"

namespace zarpa {

// Parameters 0..21 are the effect's own; 22..24 live only in the programs; 25 is the version marker.
constexpr int kEffectParamCount = kPostMeter + 1;
constexpr float kVersionMarkerValue = 0.015f;

// How a parameter's display text is made.
enum class Display {
    None,        // nothing is written
    Steps,       // the text of the current step
    DbOfOutput,  // dB text of 2^(2(x-1))
    DbOfDrive,   // dB text of 2^(8(x-0.5))
    DbOfValue,   // dB text of x itself (Leveller)
    Transient,   // number text of S
    Release,     // number text of R in ms
    Percent,     // number text of 100x
    AttShowBits  // "1", "2", "L" for the bits 1, 2, 4
};

struct ParamInfo {
    const char* name;
    const char* label;   // "" writes nothing
    int steps;           // 0 for continuous parameters
    const char* const* stepTexts;
    Display display;
};

const ParamInfo& paramInfo(int index);  // index in 0..25

// Step i of a parameter with n steps: the integer part of n·x (computed in 32-bit float), limited to
// 0..n-1. Values outside [0, 1] and NaN, which only a misbehaving host sends, are limited as well.
int valueToStep(float x, int n);
// The centre of step i: i/n + 0.5/n.
float stepToValue(int i, int n);

// The 8-character number text (sign and decimal point included), digits truncated, of value narrowed
// to 32 bits. out must hold at least 13 bytes.
void formatNumber(float value, char* out);
// "-oo" for g <= 0, else the number text of 20·log10(g) computed in 32-bit float.
void formatDb(double gain, char* out);

// The physical values a parameter maps to (the signal path reads these).
double outputGain(float x);      // 2^(2(x-1)), 0.25 .. 1
double driveGain(float x);       // 2^(8(x-0.5)), 1/16 .. 16
double transientMix(float x);    // (1.4142136·x)²/4, 0 .. 0.5
double releaseMs(float x);       // 10^(3·x^0.82030212), 1 .. 1000 ms
double levellerThreshold(float x);  // 2^(2(x-1)), 0.25 .. 1

// Writes the display text of parameter index for the raw value x (nothing for Display::None).
// out must hold at least 13 bytes. Returns false when nothing was written.
bool formatDisplay(int index, float x, char* out);

}  // namespace zarpa
