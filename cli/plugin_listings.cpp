// The commands that describe the plug-in rather than render: presets, params and info.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_error.h"
#include "cli/commands.h"
#include "cli/pending_output.h"
#include "cli/plugin_session.h"
#include "cli/plugin_settings.h"
#include "cli/text_util.h"

namespace zarpacli {

namespace {

void print(const std::string& text) { std::fputs(text.c_str(), stdout); }

std::string jsonArray(const std::vector<std::string>& items) {
    std::string s = "[";
    for (std::size_t i = 0; i < items.size(); ++i) s += (i ? ",\n  " : "\n  ") + items[i];
    return s + "\n]\n";
}

// One line of `zarpa info`: a caption for people, a key and a JSON value for scripts.
struct Field {
    std::string caption, text, key, json;
};

std::string fourCC(std::int32_t id) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<std::uint32_t>(id) >> shift) & 0xFF);
        s += (c >= 32 && c < 127) ? c : '?';
    }
    return s;
}

std::string hex(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

std::string flagNames(int flags) {
    const std::pair<int, const char*> names[] = {{effFlagsHasEditor, "HasEditor"},
                                                 {effFlagsCanReplacing, "CanReplacing"},
                                                 {effFlagsProgramChunks, "ProgramChunks"},
                                                 {effFlagsIsSynth, "IsSynth"},
                                                 {effFlagsNoSoundInStop, "NoSoundInStop"},
                                                 {effFlagsCanDoubleReplacing, "CanDoubleReplacing"}};
    std::string text;
    for (const auto& [bit, name] : names)
        if (flags & bit) text.append(text.empty() ? "" : " ").append(name);
    return text;
}

std::string categoryName(VstIntPtr category) {
    static const char* names[] = {"unknown",     "effect",      "synth",           "analysis",
                                  "mastering",   "spacializer", "room fx",         "surround fx",
                                  "restoration", "offline",     "shell",           "generator"};
    return category >= 0 && category < 12 ? names[category] : "?";
}

}  // namespace

int runPresets(const Options& o) {
    PluginSession session({o.pluginPath});
    const auto names = session.programNames();
    std::vector<std::string> items;
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        items.push_back("{\"index\": " + std::to_string(i) + ", \"name\": " + jsonString(names[i]) + "}");
        char line[64];
        std::snprintf(line, sizeof line, "%2d  ", static_cast<int>(i));
        text += line + names[i] + "\n";
    }
    print(o.json ? jsonArray(items) : text);
    return kExitOk;
}

int runParams(const Options& o) {
    if (!o.saveChunk.empty()) checkOutputPath(o.saveChunk, o.force, {o.settings.chunkFile, o.settings.bankFile, o.settings.presetFile});
    PluginSession session({o.pluginPath});
    applySettings(session, o.settings);
    ParameterCatalog& catalog = session.catalog();
    vsthost::Instance& fx = session.instance();
    std::vector<std::string> items;
    std::string text = "program \"" + session.currentProgramName() + "\"\n";
    for (int i = 0; i < catalog.count(); ++i) {
        const std::string display = fx.paramDisplay(i), label = fx.paramLabel(i);
        const float value = fx.getParameter(i);
        items.push_back("{\"index\": " + std::to_string(i) + ", \"name\": " + jsonString(catalog.name(i)) +
                        ", \"value\": " + jsonNumber(value, 7) + ", \"display\": " + jsonString(display) +
                        ", \"label\": " + jsonString(label) + ", \"accepts\": " + jsonString(catalog.accepted(i)) + "}");
        char line[160];
        std::snprintf(line, sizeof line, "%2d  %-14s %-10s %-4s %.6g\n", i, catalog.name(i).c_str(), display.c_str(),
                      label.c_str(), value);
        text += line + ("      takes " + catalog.accepted(i) + "\n");
    }
    print(o.json ? jsonArray(items) : text);
    if (!o.saveChunk.empty()) writeFileAtomically(o.saveChunk, session.chunk().bytes(), o.force);
    return kExitOk;
}

int runInfo(const Options& o) {
    PluginSession session({o.pluginPath});
    vsthost::Instance& fx = session.instance();
    const AEffect& e = session.record();
    const VstIntPtr category = fx.dispatch(effGetPlugCategory);
    const std::string id = fourCC(e.uniqueID);
    std::vector<Field> fields = {
        {"plug-in", session.pluginPath(), "plugin_path", jsonString(session.pluginPath())},
        {"effect", fx.effectName(), "effect_name", jsonString(fx.effectName())},
        {"vendor", fx.vendorString(), "vendor", jsonString(fx.vendorString())},
        {"product", fx.productString(), "product", jsonString(fx.productString())},
        {"magic", fourCC(e.magic), "magic", jsonString(fourCC(e.magic))},
        {"unique ID", id + " (" + hex(e.uniqueID) + ")", "unique_id", jsonString(id)},
        {"version", std::to_string(e.version), "version", std::to_string(e.version)},
        {"programs", std::to_string(e.numPrograms), "num_programs", std::to_string(e.numPrograms)},
        {"parameters", std::to_string(e.numParams), "num_params", std::to_string(e.numParams)},
        {"inputs", std::to_string(e.numInputs), "num_inputs", std::to_string(e.numInputs)},
        {"outputs", std::to_string(e.numOutputs), "num_outputs", std::to_string(e.numOutputs)},
        {"flags", hex(e.flags) + " " + flagNames(e.flags), "flags", std::to_string(e.flags)},
        {"initialDelay", std::to_string(e.initialDelay) + " samples", "initial_delay", std::to_string(e.initialDelay)},
        {"category", std::to_string(category) + " (" + categoryName(category) + ")", "category", std::to_string(category)},
        {"VST version", std::to_string(fx.dispatch(effGetVstVersion)), "vst_version",
         std::to_string(fx.dispatch(effGetVstVersion))},
    };
    // The latency the plug-in reports after each common rate change (the record above is as created).
    std::string byRate, byRateJson;
    for (int rate : {44100, 48000, 88200, 96000, 176400, 192000}) {
        fx.setSampleRate(static_cast<float>(rate));
        byRate += (byRate.empty() ? "" : ", ") + std::to_string(session.latency()) + " at " + std::to_string(rate);
        byRateJson += (byRateJson.empty() ? "\"" : ", \"") + std::to_string(rate) + "\": " + std::to_string(session.latency());
    }
    fields.push_back({"latency", byRate + " Hz", "latency_by_rate", "{" + byRateJson + "}"});

    std::string text, json;
    for (const Field& f : fields) {
        char caption[32];
        std::snprintf(caption, sizeof caption, "%-14s", f.caption.c_str());
        text += caption + f.text + "\n";
        json += (json.empty() ? "{\n  \"" : ",\n  \"") + f.key + "\": " + f.json;
    }
    print(o.json ? json + "\n}\n" : text);
    return kExitOk;
}

}  // namespace zarpacli
