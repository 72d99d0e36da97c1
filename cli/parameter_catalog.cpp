// Probing parameters through their display texts, and finding the value behind a display.
#include "cli/parameter_catalog.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "cli/cli_error.h"
#include "cli/text_util.h"

namespace zarpacli {

namespace {

constexpr int kProbeGrid = 64;    // probe points across 0..1 to tell steps from a continuous display
constexpr int kMaxSteps = 8;      // more distinct texts than this is a continuous parameter
constexpr int kBisections = 64;   // enough to reach adjacent 32-bit floats from [0, 1]

// Case, spaces and punctuation do not count when names and step texts are compared.
std::string comparable(const std::string& text) {
    std::string out;
    for (unsigned char c : text)
        if (std::isalnum(c)) out += static_cast<char>(std::tolower(c));
    return out;
}

std::string formatNumber(double v) {
    if (std::isinf(v)) return v < 0 ? "-oo" : "oo";
    return shortNumber(v);
}

// A parameter without a label shows a share: its values are written with "%".
std::string unitOf(const ParameterInfo& p) { return p.label.empty() ? "%" : p.label; }
std::string unitSuffix(const ParameterInfo& p) { return p.label.empty() ? " %" : " " + p.label; }

bool sameUnit(const std::string& written, const std::string& unit) {
    return !written.empty() && lowered(written) == lowered(unit);
}

}  // namespace

std::optional<double> parseDisplayNumber(const std::string& text) {
    std::string t = trim(text);
    if (t == "-oo") return -std::numeric_limits<double>::infinity();
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    if (t.empty()) return std::nullopt;
    double v = 0.0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
    return v;
}

std::optional<Quantity> parseQuantity(const std::string& text) {
    const std::string t = trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    Quantity q;
    if (t.compare(i, 2, "oo") == 0) {  // infinity as the displays write it ("-oo")
        q.value = negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        i += 2;
    } else {
        // One sign at most, then digits: from_chars would take a second sign, "inf" and "nan".
        if (i >= t.size() || !(std::isdigit(static_cast<unsigned char>(t[i])) || t[i] == '.')) return std::nullopt;
        auto [end, ec] = std::from_chars(t.data() + i, t.data() + t.size(), q.value, std::chars_format::fixed);
        if (ec != std::errc() || end == t.data() + i || !std::isfinite(q.value)) return std::nullopt;
        if (negative) q.value = -q.value;
        i = static_cast<std::size_t>(end - t.data());
    }
    q.unit = trim(t.substr(i));
    return q;
}

float stepToValue(int i, int n) { return static_cast<float>(static_cast<double>(i) / n + 0.5 / n); }

ParameterCatalog::ParameterCatalog(ParameterProbe& probe) : probe_(probe) {
    const int n = std::max(0, probe.count());
    for (int i = 0; i < n; ++i) names_.push_back(probe.name(i));
    infos_.resize(n);
}

const ParameterInfo& ParameterCatalog::info(int index) {
    auto& slot = infos_.at(index);
    if (!slot) slot = probe(index);
    return *slot;
}

ParameterInfo ParameterCatalog::probe(int index) {
    ParameterInfo p;
    p.index = index;
    p.name = names_[index];
    p.label = probe_.label(index);

    std::vector<std::string> grid;
    bool allNumeric = true, allEmpty = true;
    for (int i = 0; i < kProbeGrid; ++i) {
        grid.push_back(probe_.displayAt(index, static_cast<float>((i + 0.5) / kProbeGrid)));
        allNumeric = allNumeric && parseDisplayNumber(grid.back()).has_value();
        allEmpty = allEmpty && grid.back().empty();
    }
    if (allEmpty) return p;  // NormalisedOnly

    std::vector<std::string> runs{grid[0]};
    for (const auto& text : grid)
        if (text != runs.back()) runs.push_back(text);
    if (static_cast<int>(runs.size()) <= kMaxSteps) {
        const int n = static_cast<int>(runs.size());
        bool consistent = true;
        for (int i = 0; i < n; ++i) consistent = consistent && probe_.displayAt(index, stepToValue(i, n)) == runs[i];
        if (consistent) {
            p.kind = ParameterKind::Stepped;
            p.steps = runs;
            return p;
        }
    }
    if (!allNumeric) return p;  // a display we cannot invert: NormalisedOnly

    p.lowText = trim(probe_.displayAt(index, 0.0f));
    p.highText = trim(probe_.displayAt(index, 1.0f));
    auto lo = parseDisplayNumber(p.lowText), hi = parseDisplayNumber(p.highText);
    if (!lo || !hi || *lo == *hi) return p;
    p.kind = ParameterKind::Continuous;
    p.low = *lo;
    p.high = *hi;
    return p;
}

int ParameterCatalog::find(const std::string& key) const {
    std::string k = trim(key);
    if (!k.empty() && std::all_of(k.begin(), k.end(), [](unsigned char c) { return std::isdigit(c); })) {
        int index = -1;
        std::from_chars(k.data(), k.data() + k.size(), index);
        if (index >= 0 && index < count()) return index;
        throw usageError("there is no parameter " + k + " (indices 0 to " + std::to_string(count() - 1) + ")");
    }
    std::vector<int> matches;
    for (int i = 0; i < count(); ++i)
        if (!comparable(k).empty() && comparable(names_[i]) == comparable(k)) matches.push_back(i);
    if (matches.size() == 1) return matches[0];

    std::string list;
    for (int i = 0; i < count(); ++i) list += (i ? ", " : "") + names_[i];
    if (matches.empty()) throw usageError("unknown parameter '" + k + "'; the parameters are: " + list);
    std::string indices;
    for (int m : matches) indices += (indices.empty() ? "" : ", ") + std::to_string(m);
    throw usageError("'" + k + "' names the parameters " + indices + "; give the index instead");
}

std::string ParameterCatalog::accepted(int index) {
    const ParameterInfo& p = info(index);
    switch (p.kind) {
        case ParameterKind::Stepped: {
            std::string texts;
            for (const auto& s : p.steps) texts += (texts.empty() ? "" : ", ") + (s.empty() ? "\"\"" : s);
            return texts + " (or a normalised value 0..1)";
        }
        case ParameterKind::Continuous:
            return formatNumber(std::min(p.low, p.high)) + " .. " + formatNumber(std::max(p.low, p.high)) +
                   unitSuffix(p) + " (or a normalised value 0..1)";
        default: return "a normalised value 0..1";
    }
}

float ParameterCatalog::resolve(int index, const std::string& valueText) {
    const ParameterInfo& p = info(index);
    const std::string text = unquote(trim(valueText));
    auto refuse = [&](const std::string& why) {
        return usageError(p.name + "=" + text + ": " + why + "; " + p.name + " takes " + accepted(index));
    };

    if (p.kind == ParameterKind::Stepped) {
        for (std::size_t i = 0; i < p.steps.size(); ++i)
            if (comparable(p.steps[i]) == comparable(text) && (text.empty() == p.steps[i].empty()))
                return stepToValue(static_cast<int>(i), static_cast<int>(p.steps.size()));
    }
    auto q = parseQuantity(text);
    if (!q) throw refuse(p.kind == ParameterKind::Stepped ? "no such setting" : "not a number");
    if (q->unit.empty() && q->value >= 0.0 && q->value <= 1.0) return static_cast<float>(q->value);
    if (p.kind != ParameterKind::Continuous) throw refuse("out of range");

    // An infinity is a value only where the display itself shows it at an end ("-oo"), unit or not.
    if (std::isinf(q->value)) {
        if (q->value != p.low && q->value != p.high) throw refuse("not a number of the range");
        if (!q->unit.empty() && !sameUnit(q->unit, unitOf(p))) throw refuse("the unit '" + q->unit + "' does not fit");
        return q->value == p.low ? 0.0f : 1.0f;
    }
    if (q->unit.empty())
        throw refuse("a bare number is a normalised value (0..1); for display units write " + text + unitOf(p));
    if (!sameUnit(q->unit, unitOf(p))) throw refuse("the unit '" + q->unit + "' does not fit");

    const double lo = std::min(p.low, p.high), hi = std::max(p.low, p.high);
    const double tolerance = 5e-5 * std::max(1.0, std::fabs(q->value));  // the display shows 8 characters
    if (!(q->value >= lo - tolerance && q->value <= hi + tolerance)) throw refuse("out of range");
    return seekDisplay(p, q->value);
}

// The value whose display is nearest to the target. The display is monotonic in the value, so a
// bisection on the plug-in's own texts finds it without knowing the mapping.
float ParameterCatalog::seekDisplay(const ParameterInfo& p, double target) {
    const double sign = p.high > p.low ? 1.0 : -1.0;
    auto shown = [&](float x) { return parseDisplayNumber(probe_.displayAt(p.index, x)).value_or(target); };
    if (target == p.low) return 0.0f;  // also for an infinite end ("-oo")
    if (target == p.high) return 1.0f;
    if (sign * (target - p.low) <= 0.0) return 0.0f;
    if (sign * (target - p.high) >= 0.0) return 1.0f;

    double a = 0.0, b = 1.0;
    for (int i = 0; i < kBisections; ++i) {
        const double m = (a + b) / 2.0;
        const float fm = static_cast<float>(m);
        if (fm == static_cast<float>(a) || fm == static_cast<float>(b)) break;
        if (sign * (shown(fm) - target) < 0.0) a = m;
        else b = m;
    }
    const float fa = static_cast<float>(a), fb = static_cast<float>(b);
    return std::fabs(shown(fa) - target) < std::fabs(shown(fb) - target) ? fa : fb;
}

}  // namespace zarpacli
