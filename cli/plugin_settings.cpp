// Applying the command line's plug-in settings.
#include "cli/plugin_settings.h"

#include "cli/cli_error.h"

namespace zarpacli {

namespace {

// Larger than any record; files beyond it are refused without being read whole.
constexpr std::size_t kMaxRecordFileBytes = 1 << 16;

}  // namespace

std::vector<AppliedSetting> applySettings(PluginSession& session, const PluginSettings& settings) {
    if (!settings.chunkFile.empty())
        session.loadChunkData(readWholeFile(settings.chunkFile, kMaxRecordFileBytes), settings.chunkFile);

    if (!settings.bankFile.empty()) {
        Bank bank = parseBankRecord(readWholeFile(settings.bankFile, kMaxRecordFileBytes), session.uniqueId(),
                                    settings.bankFile);
        session.loadBank(bank, settings.program.value_or(0));
    } else if (settings.program) {
        session.selectProgram(*settings.program);
    }
    if (!settings.preset.empty()) session.selectProgram(session.findProgram(settings.preset));

    if (!settings.presetFile.empty())
        session.loadPreset(parsePresetRecord(readWholeFile(settings.presetFile, kMaxRecordFileBytes),
                                             session.uniqueId(), settings.presetFile));

    std::vector<AppliedSetting> applied;
    for (const std::string& assignment : settings.sets) {
        const auto eq = assignment.find('=');
        ParameterCatalog& catalog = session.catalog();
        const int index = catalog.find(assignment.substr(0, eq));
        AppliedSetting a;
        a.name = catalog.name(index);
        a.requested = assignment.substr(eq + 1);
        a.value = catalog.resolve(index, a.requested);
        session.instance().setParameter(index, a.value);
        const std::string label = session.instance().paramLabel(index);
        a.display = session.instance().paramDisplay(index) + (label.empty() ? "" : " " + label);
        applied.push_back(a);
    }
    return applied;
}

}  // namespace zarpacli
