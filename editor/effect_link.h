// What the editor needs of its effect beyond the parameters: the meter values and how often they were
// published, and the per-user preferences it saves (metering) and keeps (its size). The plug-in assembly
// implements it over the engine and the settings store.
#pragma once

#include <cstdint>

namespace zarpa {

// Threading: called in the editor's user-interface turn; the meter read-out takes no lock.
class EffectLink {
public:
    // The ten meter values: input and output peak, input and output mean square, gain reduction, per
    // channel; restarts the peak and minimum accumulation.
    virtual void getMeterValues(float* values) = 0;
    // Changes with every processed block; the editor rests its meters while it stands still.
    virtual std::uint32_t meterPublicationCount() const = 0;
    // Writes the six metering preferences from the effect's parameters; false when they could not be stored.
    virtual bool storeMeteringPreferences() = 0;
    // The stored editor size in percent (0: none), and a new choice to store.
    virtual int storedEditorScale() = 0;
    virtual bool storeEditorScale(int percent) = 0;

protected:
    ~EffectLink() = default;
};

}  // namespace zarpa
