// One loaded plug-in as the renderer hosts it: the library, the instance that renders, and a second,
// scratch instance that answers questions about parameter texts. Everything goes through the VST 2.4
// interface (hostlib); programs, banks and presets travel as state chunks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/parameter_catalog.h"
#include "cli/state_records.h"
#include "hostlib/vst_host.h"

namespace zarpacli {

struct HostSetup {
    std::string pluginPath;  // "" for the default
    int sampleRate = 44100;
    int blockSize = 512;
    bool monoInput = false;  // input 1 reported not connected, as a mono host does
};

class PluginSession {
public:
    // Loads the library and opens an instance at the given rate and block size; throws a processing
    // CliError when the plug-in cannot be loaded or refuses to start.
    explicit PluginSession(const HostSetup& setup);
    ~PluginSession();

    vsthost::Instance& instance() { return *instance_; }
    const AEffect& record() const { return *instance_->effect(); }
    const std::string& pluginPath() const { return path_; }
    int latency() const { return instance_->effect()->initialDelay; }
    std::int32_t uniqueId() const { return instance_->effect()->uniqueID; }

    std::vector<std::string> programNames();
    // A program by name (case-insensitive) or index; throws a usage CliError listing the names.
    int findProgram(const std::string& key);
    // Program names come from files: control characters and stray bytes are shown as '?'.
    std::string currentProgramName();

    StateChunk chunk();
    void loadChunk(const StateChunk& chunk);
    void loadChunkData(const Bytes& data, const std::string& path);
    void selectProgram(int index);
    void loadBank(const Bank& bank, int program);
    void loadPreset(const ProgramRecord& record);

    // Parameter texts, probed on the scratch instance (created on first use).
    ParameterCatalog& catalog();

    // Resets the effect (effMainsChanged 0), then effMainsChanged(1) and effStartProcess: from now on the
    // instance processes, every setting made before in force from the first sample.
    void start();
    void process(float** inputs, float** outputs, int frames);
    void process(double** inputs, double** outputs, int frames);

private:
    std::string path_;
    std::unique_ptr<vsthost::Library> library_;
    std::unique_ptr<vsthost::Instance> instance_;
    std::unique_ptr<vsthost::Instance> scratch_;
    std::unique_ptr<ParameterProbe> probe_;
    std::unique_ptr<ParameterCatalog> catalog_;
};

}  // namespace zarpacli
