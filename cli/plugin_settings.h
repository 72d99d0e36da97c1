// Brings the plug-in into the state the command line asks for: chunk, bank, program, preset file and
// single parameters, in that order.
#pragma once

#include "cli/command_line.h"
#include "cli/plugin_session.h"
#include "cli/report.h"

#include <vector>

namespace zarpacli {

// Returns the --set assignments as the plug-in took them. Throws a usage CliError for unknown names and
// values, a processing CliError for unreadable files.
std::vector<AppliedSetting> applySettings(PluginSession& session, const PluginSettings& settings);

}  // namespace zarpacli
