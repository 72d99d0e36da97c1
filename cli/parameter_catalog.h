// What the command line knows about the plug-in's parameters, learnt from the plug-in itself through
// its names, labels and display texts: no parameter table of our own. Turns "Drive=+6dB",
// "NoiseShape=type B" or "Release=0.5" into the normalised value that the plug-in shows that way.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zarpacli {

// Read access to a scratch instance of the plug-in whose parameters may be changed at will.
class ParameterProbe {
public:
    virtual ~ParameterProbe() = default;
    virtual int count() = 0;
    virtual std::string name(int index) = 0;
    virtual std::string label(int index) = 0;
    // Sets the parameter to `value` and reads back its display text.
    virtual std::string displayAt(int index, float value) = 0;
};

enum class ParameterKind {
    Continuous,      // numeric display, monotonic in the value
    Stepped,         // a few texts, one per equal-width step
    NormalisedOnly,  // no usable display (placeholders): only 0..1 values
};

struct ParameterInfo {
    int index = 0;
    std::string name;
    std::string label;
    ParameterKind kind = ParameterKind::NormalisedOnly;
    std::vector<std::string> steps;  // Stepped: the text of step 0, 1, ...
    double low = 0.0, high = 0.0;    // Continuous: the displayed values at 0 and at 1
    std::string lowText, highText;
};

// The number a display text shows: "-6.02060" → -6.0206, "-oo" → -infinity; nullopt for other texts.
std::optional<double> parseDisplayNumber(const std::string& text);

// A value as the user writes it: a number and an optional unit ("+6dB" → 6, "dB"; "-oo" → -inf, "").
struct Quantity {
    double value = 0.0;
    std::string unit;
};
std::optional<Quantity> parseQuantity(const std::string& text);

// The centre of step i of n, the value that selects that step.
float stepToValue(int i, int n);

class ParameterCatalog {
public:
    explicit ParameterCatalog(ParameterProbe& probe);

    int count() const { return static_cast<int>(names_.size()); }
    const std::string& name(int index) const { return names_.at(index); }
    // Probes the parameter on first use.
    const ParameterInfo& info(int index);

    // A parameter by name (case, spaces and punctuation ignored: "lr link" finds "L/R Link") or by index.
    // Throws a usage CliError that lists the valid names.
    int find(const std::string& key) const;

    // The normalised value for a value text. Stepped parameters take their step texts; every parameter
    // takes a bare number 0..1 as a normalised value; continuous ones take display values with their unit
    // ("120ms", "+6dB"; "50" or "50%" where the parameter has no unit). Throws a usage CliError.
    float resolve(int index, const std::string& valueText);

    // One line per parameter naming what it accepts (for messages and `zarpa params`).
    std::string accepted(int index);

private:
    ParameterInfo probe(int index);
    float seekDisplay(const ParameterInfo& p, double target);
    ParameterProbe& probe_;
    std::vector<std::string> names_;
    std::vector<std::optional<ParameterInfo>> infos_;
};

}  // namespace zarpacli
