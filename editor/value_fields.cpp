// Value-field texts: dB for Drive, Output and Leveller, percent for Transient and L/R Link, ms for Release.
#include "editor/value_fields.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/parameters.h"

namespace zarpa {

namespace {

// The Release field's curve: 10^(3·v^a) ms, and its inverse v = (log10(t)/3)^(1/a).
constexpr double kReleaseExponent = 0.82030212;
constexpr double kReleaseInverseExponent = 1.2190630447230832;

double limited(double x, double low, double high) { return std::min(std::max(x, low), high); }
float unitValue(float v) { return v >= 0.0f ? (v <= 1.0f ? v : 1.0f) : 0.0f; }  // NaN gives 0

void dbText(double db, char* out, std::size_t size) { std::snprintf(out, size, "%+.2fdB", db); }

void driveText(float v, char* out, std::size_t size) { dbText((unitValue(v) - 0.5) * 48.0, out, size); }
float driveValue(const char* text) {
    return static_cast<float>((limited(parseDecimal(text), -24.0, 24.0) + 24.0) / 48.0);
}

// Output and Leveller share the 12 dB range below full scale.
void outputText(float v, char* out, std::size_t size) { dbText((unitValue(v) - 1.0) * 12.0, out, size); }
float outputValue(const char* text) {
    return static_cast<float>((limited(parseDecimal(text), -12.0, 0.0) + 12.0) / 12.0);
}

void percentText(float v, char* out, std::size_t size) {
    std::snprintf(out, size, "%.1f%%", unitValue(v) * 100.0);
}
float percentValue(const char* text) {
    const double t = parseDecimal(text);
    return t < 0.0 ? 0.0f : static_cast<float>(std::min(t, 100.0) / 100.0);
}

void releaseText(float v, char* out, std::size_t size) {
    std::snprintf(out, size, "%.1fms", std::pow(10.0, 3.0 * std::pow(unitValue(v), kReleaseExponent)));
}
float releaseValue(const char* text) {
    const double t = limited(parseDecimal(text), 1.0, 1000.0);
    return static_cast<float>(std::pow(std::log10(t) / 3.0, kReleaseInverseExponent));
}

// "off" in any letter case, blanks around it allowed.
bool isOffText(const char* text) {
    while (*text == ' ') ++text;
    for (const char* word = "off"; *word; ++word, ++text)
        if (std::tolower(static_cast<unsigned char>(*text)) != *word) return false;
    while (*text == ' ') ++text;
    return *text == 0;
}

void levellerText(float v, char* out, std::size_t size) {
    if (v == 1.0f)
        std::snprintf(out, size, "off");
    else
        outputText(v, out, size);
}
float levellerValue(const char* text) { return text && isOffText(text) ? 1.0f : outputValue(text); }

constexpr ValueFieldFormat kFormats[] = {
    {kDrive, driveText, driveValue},         {kOutput, outputText, outputValue},
    {kTransient, percentText, percentValue}, {kRelease, releaseText, releaseValue},
    {kLeveller, levellerText, levellerValue}, {kLink, percentText, percentValue},
};

}  // namespace

const ValueFieldFormat* valueFieldFormat(int tag) {
    for (const ValueFieldFormat& f : kFormats)
        if (f.tag == tag) return &f;
    return nullptr;
}

double parseDecimal(const char* text) {
    if (!text) return 0.0;
    while (*text == ' ' || *text == '\t') ++text;
    if (*text == '+' && text[1] != '-') ++text;
    const char* end = text + std::strlen(text);
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text, end, value);
    if (ec != std::errc() || ptr == text || std::isnan(value)) return 0.0;
    return value;
}

}  // namespace zarpa
