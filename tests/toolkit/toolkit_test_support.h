// Test doubles for the toolkit tests: an effect whose host callback records what it is told, a
// listener that records changes, an editor that builds a frame, film strips with one colour per image,
// and artwork of the tests' own.
#pragma once

#include <functional>
#include <vector>

#include "editor/frame_editor.h"
#include "host/audioeffect.h"
#include "toolkit/artwork.h"
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
class TestEditor : public CFrameEditor {
public:
    explicit TestEditor(AudioEffect* effect, CRect size = CRect(0, 0, 200, 100)) : CFrameEditor(effect), size_(size) {
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

// Artwork of the tests' own: image kTestImageId, a strip of two 3 × 4 frames whose pixel (x, y) has red
// 10·x and green 10·y, and the same image at 200 % (6 × 16); a block font whose glyphs are 4 × 6 blocks of
// full ink, 5 pixels apart.
constexpr int kTestImageId = 7;

class TestArtwork final : public toolkit::Artwork {
public:
    TestArtwork() {
        fill(pixels100_, 3, 8);
        fill(pixels200_, 6, 16);
    }
    toolkit::RgbImage image(int id, int scalePercent) const override {
        if (id != kTestImageId) return {};
        if (scalePercent == 100) return {3, 8, pixels100_.data()};
        if (scalePercent == 200) return {6, 16, pixels200_.data()};
        return {};
    }
    int imageFrames(int id) const override { return id == kTestImageId ? 2 : 1; }
    const graphics::GlyphFont& predefinedFont(int) const override { return font_; }

private:
    static void fill(std::vector<std::uint8_t>& rgb, int width, int height) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                rgb.push_back(static_cast<std::uint8_t>(10 * x));
                rgb.push_back(static_cast<std::uint8_t>(10 * y));
                rgb.push_back(1);
            }
    }
    std::vector<std::uint8_t> pixels100_, pixels200_;
    std::vector<graphics::FontGlyph> glyphs_ = std::vector<graphics::FontGlyph>(224, graphics::FontGlyph{0, 6, 4, 6, 5, 0});
    std::vector<std::uint8_t> coverage_ = std::vector<std::uint8_t>(24, 255);
    graphics::GlyphFont font_{"Block", 10, 7, 2, 10, 32, 255, glyphs_.data(), coverage_.data()};
};

// Hands the toolkit an artwork for a scope, then gives back the one it had.
class ScopedArtwork {
public:
    explicit ScopedArtwork(const toolkit::Artwork* artwork) : previous_(toolkit::artwork()) {
        toolkit::setArtwork(artwork);
    }
    ~ScopedArtwork() { toolkit::setArtwork(previous_); }
    ScopedArtwork(const ScopedArtwork&) = delete;
    ScopedArtwork& operator=(const ScopedArtwork&) = delete;

private:
    const toolkit::Artwork* previous_;
};

}  // namespace toolkit_test
