// What the editor's own controls ask of the editor beyond the listener's valueChanged: writing a
// parameter as the user (the mode button drives two parameters itself) and saving the metering
// preferences. The editor implements it; tests give the controls a recording stand-in.
#pragma once

namespace zarpa {

class EditorServices {
public:
    virtual ~EditorServices() = default;
    // Sets the parameter in the effect and tells the host (the effect's setParameterAutomated).
    virtual void automateParameter(int index, float value) = 0;
    // Writes the six metering preferences and starts the preferences-saved flash.
    virtual void saveMeteringPreferences() = 0;
};

}  // namespace zarpa
