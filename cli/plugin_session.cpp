// Loading the plug-in, moving programs in and out through state chunks, and processing.
#include "cli/plugin_session.h"

#include <cstdlib>
#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "cli/cli_error.h"
#include "cli/text_util.h"

namespace zarpacli {

namespace {

// Parameter probing on an instance that renders nothing.
class InstanceProbe : public ParameterProbe {
public:
    explicit InstanceProbe(vsthost::Instance& instance) : instance_(instance) {}
    int count() override { return instance_.effect()->numParams; }
    std::string name(int index) override { return instance_.paramName(index); }
    std::string label(int index) override { return instance_.paramLabel(index); }
    std::string displayAt(int index, float value) override {
        instance_.setParameter(index, value);
        return instance_.paramDisplay(index);
    }

private:
    vsthost::Instance& instance_;
};

namespace fs = std::filesystem;

#if defined(_WIN32)
constexpr const char* kPluginFileName = "OKAZarpa.dll";
#else
constexpr const char* kPluginFileName = "OKAZarpa.so";
#endif

fs::path executableDirectory() {
#if defined(_WIN32)
    char buffer[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? fs::path(buffer).parent_path() : fs::path();
#else
    char buffer[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? fs::path(std::string(buffer, static_cast<std::size_t>(n))).parent_path() : fs::path();
#endif
}

// The plug-in to load: the one asked for (made absolute, so the loader does not search its library
// path for a bare name), else $ZARPA_PLUGIN or the one built in this tree, else one installed next to zarpa.
std::string choosePluginPath(const std::string& requested) {
    std::error_code ec;
    if (!requested.empty()) return fs::exists(requested, ec) ? fs::absolute(requested, ec).string() : requested;
    // A plug-in named in the environment is meant: never fall back to another one behind the user's back.
    if (const char* env = std::getenv("ZARPA_PLUGIN"); env && env[0]) {
        if (!fs::exists(env, ec))
            throw processingError(std::string("ZARPA_PLUGIN names ") + env + ", which does not exist");
        return fs::absolute(env, ec).string();
    }
    const std::string built = vsthost::defaultPluginPath();
    if (!built.empty() && fs::exists(built, ec)) return built;
    const fs::path beside = executableDirectory() / kPluginFileName;
    return fs::exists(beside, ec) ? beside.string() : built;
}

std::unique_ptr<vsthost::Instance> openInstance(const vsthost::Library& library, const std::string& path,
                                                vsthost::HostBehaviour behaviour) {
    auto instance = std::make_unique<vsthost::Instance>(library, behaviour);
    if (!instance->ok()) throw processingError(path + ": the plug-in's entry point returned no effect");
    instance->dispatch(effOpen);
    return instance;
}

}  // namespace

PluginSession::PluginSession(const HostSetup& setup)
    : path_(choosePluginPath(setup.pluginPath)) {
    if (path_.empty()) throw processingError("no plug-in to load; give --plugin PATH or set ZARPA_PLUGIN");
    library_ = std::make_unique<vsthost::Library>(path_);
    if (!library_->ok()) throw processingError("cannot load the plug-in: " + library_->error());

    vsthost::HostBehaviour behaviour;
    behaviour.rightInputConnected = !setup.monoInput;
    behaviour.sampleRate = static_cast<float>(setup.sampleRate);
    behaviour.blockSize = setup.blockSize;
    instance_ = openInstance(*library_, path_, behaviour);
    const AEffect& e = *instance_->effect();
    if (e.numInputs < 2 || e.numOutputs < 2 || !(e.flags & effFlagsCanReplacing))
        throw processingError(path_ + ": not a stereo effect that zarpa can host");
    instance_->setSampleRate(static_cast<float>(setup.sampleRate));
    instance_->setBlockSize(setup.blockSize);
}

PluginSession::~PluginSession() = default;

std::string PluginSession::currentProgramName() { return printable(instance_->programName()); }

std::vector<std::string> PluginSession::programNames() {
    std::vector<std::string> names;
    for (int i = 0; i < zarpa::kNumPrograms; ++i) names.push_back(printable(instance_->programNameIndexed(i)));
    return names;
}

int PluginSession::findProgram(const std::string& key) {
    const auto names = programNames();
    const std::string k = trim(key);
    for (int i = 0; i < static_cast<int>(names.size()); ++i)
        if (lowered(names[i]) == lowered(k) || std::to_string(i) == k) return i;
    std::string list;
    for (int i = 0; i < static_cast<int>(names.size()); ++i)
        list += "\n  " + std::to_string(i) + "  " + names[i];
    throw usageError("unknown preset '" + k + "'; the programs are:" + list);
}

StateChunk PluginSession::chunk() { return StateChunk(instance_->getChunk()); }

void PluginSession::loadChunk(const StateChunk& chunk) {
    if (instance_->setChunk(chunk.bytes()) != 0) throw processingError("the plug-in refused the state chunk");
}

void PluginSession::loadChunkData(const Bytes& data, const std::string& path) {
    checkChunkData(data, uniqueId(), path);
    if (instance_->setChunk(data) != 0) throw processingError(path + ": the plug-in refused the state chunk");
}

void PluginSession::selectProgram(int index) {
    StateChunk c = chunk();
    c.setCurrentProgram(index);
    loadChunk(c);
}

void PluginSession::loadBank(const Bank& bank, int program) {
    StateChunk c = chunk();
    for (int k = 0; k < zarpa::kNumPrograms; ++k) c.setProgram(k, bank[k]);
    c.setCurrentProgram(program);
    loadChunk(c);
}

void PluginSession::loadPreset(const ProgramRecord& record) {
    StateChunk c = chunk();
    c.setProgram(c.currentProgram(), record);
    loadChunk(c);
}

ParameterCatalog& PluginSession::catalog() {
    if (!catalog_) {
        scratch_ = openInstance(*library_, path_, vsthost::HostBehaviour{});
        probe_ = std::make_unique<InstanceProbe>(*scratch_);
        catalog_ = std::make_unique<ParameterCatalog>(*probe_);
    }
    return *catalog_;
}

void PluginSession::start() {
    // Everything the command line set is in force now: a suspend resets the effect, so its gain glides,
    // leveller and dither start from these settings rather than from the program it was opened with.
    instance_->suspend();
    instance_->resume();
    instance_->dispatch(effStartProcess);
}

void PluginSession::process(float** inputs, float** outputs, int frames) {
    instance_->process(inputs, outputs, frames);
    instance_->clearCalls();  // the host records callbacks for tests; a long render must not pile them up
}

void PluginSession::process(double** inputs, double** outputs, int frames) {
    instance_->process(inputs, outputs, frames);
    instance_->clearCalls();
}

}  // namespace zarpacli
