// The editor object. The window, the frame and the controls come with the editor's own work.
#include "editor/editor.h"

namespace zarpa {

Editor::Editor(AudioEffect* effect) : CPresetSystemEditor(effect) {
    rect = {0, 0, 462, 524};
    effect->setEditor(this);
}

Editor::~Editor() = default;

void Editor::setParameter(VstInt32, float) {}

}  // namespace zarpa
