// Reading the static gain from the parameter displays.
#include "cli/static_gain.h"

#include <cmath>

#include "cli/parameter_catalog.h"
#include "cli/text_util.h"

namespace zarpacli {

std::optional<double> staticGainDb(const DisplayLookup& display) {
    const auto power = display("Power"), calibrate = display("Calibrate"), autoOut = display("AutoOut");
    const auto driveText = display("Drive"), outputText = display("Output");
    if (!power || !calibrate || !autoOut || !driveText || !outputText) return std::nullopt;
    if (trim(*power) != "on" || trim(*calibrate) != "off") return std::nullopt;
    const auto drive = parseDisplayNumber(*driveText), output = parseDisplayNumber(*outputText);
    if (!drive || !output || !std::isfinite(*drive) || !std::isfinite(*output)) return std::nullopt;
    return trim(*autoOut) == "on" ? *output : *drive + *output;
}

std::optional<double> staticGainDb(vsthost::Instance& instance) {
    const int count = instance.effect()->numParams;
    return staticGainDb([&](const std::string& name) -> std::optional<std::string> {
        for (int i = 0; i < count; ++i)
            if (instance.paramName(i) == name) return instance.paramDisplay(i);
        return std::nullopt;
    });
}

}  // namespace zarpacli
