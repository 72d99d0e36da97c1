// The gain the plug-in gives a signal it does not limit, read from its parameter displays as any host
// could: Drive times Output in dB, or Output alone when AutoOut compensates the drive. Unknown (nullopt)
// when Power is off, Calibrate replaces the signal, or a display cannot be read.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "hostlib/vst_host.h"

namespace zarpacli {

// display(name): the display text of the parameter of that name, nullopt when there is none.
using DisplayLookup = std::function<std::optional<std::string>(const std::string& name)>;

std::optional<double> staticGainDb(const DisplayLookup& display);
std::optional<double> staticGainDb(vsthost::Instance& instance);

}  // namespace zarpacli
