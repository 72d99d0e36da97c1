// Test doubles for the toolkit tests: an effect whose host callback records what it is told, a
// listener that records changes, an editor that builds a frame, and film strips with one colour per image.
#pragma once

#include <functional>
#include <vector>

#include "host/aeffguieditor.h"
#include "host/audioeffect.h"
#include "toolkit/bitmap.h"
#include "toolkit/buttons.h"
#include "toolkit/control.h"
#include "toolkit/frame.h"

namespace toolkit_test {

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
};

// The host calls of the running test, in order.
inline std::vector<HostCall>& hostCalls() {
    static std::vector<HostCall> calls;
    return calls;
}

inline VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
    hostCalls().push_back({opcode, index});
    return opcode == audioMasterVersion ? 2400 : 0;
}

inline int countCalls(VstInt32 opcode) {
    int n = 0;
    for (const HostCall& c : hostCalls()) n += c.opcode == opcode;
    return n;
}

class TestEffect : public AudioEffectX {
public:
    TestEffect() : AudioEffectX(&recordingHost, 1, 4) { hostCalls().clear(); }
    void processReplacing(float**, float**, VstInt32) override {}
};

// Builds a frame of the given size in the parent window (headless without one).
class TestEditor : public AEffGUIEditor {
public:
    explicit TestEditor(AudioEffect* effect, CRect size = CRect(0, 0, 200, 100)) : AEffGUIEditor(effect), size_(size) {
        rect = {static_cast<std::int16_t>(size.top), static_cast<std::int16_t>(size.left),
                static_cast<std::int16_t>(size.bottom), static_cast<std::int16_t>(size.right)};
    }
    bool open(void* parent) override {
        AEffGUIEditor::open(parent);
        frame = new CFrame(size_, parent, this);
        ++framesMade;
        if (build) build(frame);
        enableViewUpdates();
        return true;
    }
    int framesMade = 0;
    std::function<void(CFrame*)> build;  // adds the views before other threads may see them

private:
    CRect size_;
};

struct Change {
    std::int32_t tag;
    float value;
};

class RecordingListener : public CControlListener {
public:
    void valueChanged(CControl* control) override { changes.push_back({control->getTag(), control->getValue()}); }
    void controlBeginEdit(CControl*) override { ++begins; }
    void controlEndEdit(CControl*) override { ++ends; }
    std::vector<Change> changes;
    int begins = 0;
    int ends = 0;
};

// The colour that image k of a test strip is filled with.
constexpr CColor imageColor(int k) {
    return CColor{static_cast<std::uint8_t>(10 + 20 * k), static_cast<std::uint8_t>(200 - 7 * k), 77, 255};
}

// A strip of `images` images of width × imageHeight, image k filled with imageColor(k).
inline CBitmap* makeStrip(CCoord width, CCoord imageHeight, int images) {
    auto* bitmap = new CBitmap(width, imageHeight * images);
    for (int k = 0; k < images; ++k) bitmap->fill(CRect(0, k * imageHeight, width, (k + 1) * imageHeight), imageColor(k));
    return bitmap;
}

// Which image of a test strip the pixel shows, or -1.
inline int imageAt(const CDrawContext& context, CCoord x, CCoord y, int images = 200) {
    for (int k = 0; k < images; ++k)
        if (context.getPixel(x, y) == toPixel(imageColor(k))) return k;
    return -1;
}

// Adds an on/off button showing a two-image test strip.
inline COnOffButton* addStripButton(CFrame* frame, const CRect& rect) {
    CBitmap* strip = makeStrip(rect.getWidth(), rect.getHeight(), 2);
    auto* button = new COnOffButton(rect, nullptr, 1, strip);
    strip->forget();
    frame->addView(button);
    return button;
}

}  // namespace toolkit_test
