// The help texts of `zarpa`: the overview (`zarpa help`) and one page per command (`zarpa CMD --help`,
// `zarpa help CMD`).
#pragma once

#include <string>

#include "cli/command_line.h"

namespace zarpacli {

std::string usageText();
std::string commandHelp(Command command);
// The name a command is typed as ("render", "analyze").
std::string commandName(Command command);

}  // namespace zarpacli
