// The editor: window construction from the control table, parameter bindings, the idle pass that feeds
// the meters, and the metering preferences.
#include "editor/editor.h"

#include <vector>

#include "editor/buttons.h"
#include "editor/control_layout.h"
#include "editor/control_tooltips.h"
#include "editor/control_values.h"
#include "editor/editor_scale.h"
#include "editor/info_panel.h"
#include "editor/metering_rules.h"
#include "editor/meters.h"
#include "editor/my_frame.h"
#include "editor/my_knob.h"
#include "editor/readouts.h"
#include "editor/selectors.h"
#include "editor/value_fields.h"
#include "platform/platform.h"
#include "presets/stored_settings.h"
#include "toolkit/bitmap.h"
#include "toolkit/option_menu.h"
#include "toolkit/platform_window.h"
#include "toolkit/text_edit.h"

namespace zarpa {

namespace {

constexpr std::int32_t kIdleIntervalMs = 40;
constexpr std::uint32_t kFlashMs = 500;
// The ten values of the effect's getMeterValues, in its order (linear amplitudes).
enum MeterValue : std::size_t {
    kInPeakL, kInPeakR, kOutPeakL, kOutPeakR,      // peaks since the last read
    kInLevelL, kInLevelR, kOutLevelL, kOutLevelR,  // sine-calibrated mean-square levels
    kGainL, kGainR,                                // gain, 1 for no reduction
    kMeterValueCount
};

// The tick of an event that must not read as "none" (0 means no flash is running).
std::uint32_t nonZeroTick(std::uint32_t tick) { return tick != 0 ? tick : 1; }

CTextEdit* makeValueField(const ControlSpec& spec, CControlListener* listener, CBitmap* background) {
    const ValueFieldFormat* format = valueFieldFormat(spec.tag);
    const CRect rect = toCRect(spec.rect);
    auto* field = new CTextEdit(rect, listener, spec.tag, "", background, 0);
    field->setFont(kNormalFontSmaller);
    field->setBackOffset(rect.getTopLeft());
    const bool dark = isDarkValueField(spec.tag);
    field->setFontColor(dark ? kDarkFieldFontColor : kLightFieldFontColor);
    field->setBackColor(dark ? kDarkFieldBackColor : kLightFieldBackColor);
    if (format) {
        field->setValueToTextFunction([format](float value) {
            char text[64];
            format->toText(value, text, sizeof text);
            return std::string(text);
        });
        field->setTextToValueFunction([format](const char* text, float& value) {
            value = format->toValue(text);
            return true;  // text that is not a number reads as 0, never as a refusal
        });
    }
    return field;
}

}  // namespace

// The bitmaps of one open: each loaded once, handed to the controls (which keep their own references),
// and released when open is done.
class Editor::BitmapSet {
public:
    BitmapSet() = default;
    BitmapSet(const BitmapSet&) = delete;
    BitmapSet& operator=(const BitmapSet&) = delete;
    ~BitmapSet() {
        for (const Entry& entry : loaded_) entry.bitmap->forget();
    }
    CBitmap* get(int id) {
        for (const Entry& entry : loaded_)
            if (entry.id == id) return entry.bitmap;
        loaded_.push_back({id, new CBitmap(id)});
        return loaded_.back().bitmap;
    }

private:
    struct Entry {
        int id;
        CBitmap* bitmap;
    };
    std::vector<Entry> loaded_;
};

Editor::Editor(CPresetSystemEffect* effect, EffectLink& link)
    : CPresetSystemEditor(effect),
      effect_(effect),
      link_(link),
      tick_(platform::tickMs),
      lastIdleTick_(tick_()),
      flashStartTick_(tick_()) {
    rect = {0, 0, kEditorHeight, kEditorWidth};
    effect->setEditor(this);
}

Editor::~Editor() { close(); }

MyFrame* Editor::getMyFrame() const { return static_cast<MyFrame*>(frame); }

void Editor::setTickSource(TickSource source) {
    tick_ = source ? source : platform::tickMs;
    if (frame) frame->setClock(tick_);
    lastIdleTick_ = flashStartTick_ = tick_();
}

bool Editor::onUserInterfaceThread() const {
    return userInterfaceThread_.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

// ---------------------------------------------------------------------------------------------------------
// Window life

bool Editor::open(void* parentWindow) {
    UiTurn turn(*this, UiTurn::kWait);  // our own window timer must not idle a half-built window
    AEffGUIEditor::open(parentWindow);  // records the parent; closes a window the host left open
    userInterfaceThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    // Every control reads its parameter below; a change from now on marks it again for the next idle.
    changedParameters_.store(0, std::memory_order_relaxed);
    latencyChanged_.store(false, std::memory_order_relaxed);

    BitmapSet bitmaps;
    CBitmap* background = bitmaps.get(window::bitmap::kBackground);
    const CRect size = background->isLoaded() ? CRect(0, 0, background->getWidth(), background->getHeight())
                                              : CRect(0, 0, kEditorWidth, kEditorHeight);
    const int scale = chosenScale();
    openScale_.store(scale, std::memory_order_relaxed);
    auto* myFrame = new MyFrame(size, parentWindow, this, scale);
    frame = myFrame;
    if (parentWindow && !myFrame->isOpen()) {
        close();  // no window could be made in the host's (an invalid parent, no display): say so
        return false;
    }
    myFrame->setBackground(background);
    myFrame->setClock(tick_);  // tooltips wait on the editor's clock
    bitmaps.get(window::bitmap::kFont);
    bitmaps.get(window::bitmap::kSecondFont);

    const int meterMode = meterModeOf(effect_->getParameter(kMeterType), effect_->getParameter(kScale));
    for (const ControlSpec& spec : window::kControls) {
        if (CView* view = createControl(spec, bitmaps, meterMode)) {
            view->setTooltipText(controlTooltip(spec));
            myFrame->addView(view);
        }
    }
    if (info_) addScaleMenu(info_->getViewSize());
    hostSignal_.restart(tick_(), link_.meterPublicationCount());
    enableViewUpdates();
    // The preset bar's controls are added last, above the editor's own, by the preset system.
    CPresetSystemEditor::open(parentWindow);
    return true;
}

CView* Editor::createControl(const ControlSpec& spec, BitmapSet& bitmaps, int meterMode) {
    CBitmap* bitmap = bitmaps.get(spec.bitmap);
    const CRect rect = toCRect(spec.rect);
    const auto parameter = [this, &spec] { return effect_->getParameter(spec.tag); };
    switch (spec.kind) {
        case ControlKind::ToggleButton: {
            auto* button = new CZarpaButton(rect, this, spec.tag, bitmap, spec.savesPreferences, this);
            if (const int bit = attShowBitOfTag(spec.tag))
                button->setValue((attShowMask(effect_->getParameter(kAttShow)) & bit) ? 1.0f : 0.0f);
            else
                button->setValue(parameter());
            if (spec.savesPreferences) flashButtons_[flashButtonCount_++] = button;
            return controlByTag_[spec.tag] = button;
        }
        case ControlKind::OversamplingButton: {
            auto* button = new COversamplingButton(rect, this, spec.tag, bitmap);
            button->setValue(parameter());
            return controlByTag_[spec.tag] = button;
        }
        case ControlKind::ModeButton:
            modeButton_ = new CModeButton(rect, this, spec.tag, bitmap, this);
            modeButton_->setScale(effect_->getParameter(kScale));
            modeButton_->setType(effect_->getParameter(kMeterType));
            return modeButton_;
        case ControlKind::AutoBlack:
            autoBlack_ = new CAutoBlack(rect, this, spec.tag, bitmap);
            autoBlack_->setQuantize(effect_->getParameter(kQuantize));
            autoBlack_->setState(parameter());
            return autoBlack_;
        case ControlKind::Bits:
            bits_ = new CBits(rect, this, spec.tag, bitmap);
            bits_->setQuantize(effect_->getParameter(kQuantize));
            bits_->setBits(parameter());
            return bits_;
        case ControlKind::NoiseShape:
            noiseShape_ = new CNoiseShape(rect, this, spec.tag, bitmap);
            noiseShape_->setShape(parameter());
            noiseShape_->setQuantize(effect_->getParameter(kQuantize));
            return noiseShape_;
        case ControlKind::CalibButton:
            calibButton_ = new CCalibButton(rect, this, spec.tag, bitmap);
            calibButton_->setValue(parameter());
            return controlByTag_[spec.tag] = calibButton_;
        case ControlKind::Knob: {
            const KnobSetting& setting = knobSetting(spec.tag);
            auto* knob = new CMyKnob(rect, this, spec.tag, rect.getHeight(), bitmap);  // one frame per rectangle
            knob->setWheelInc(setting.arrowIncrement);
            knob->setDefaultValue(setting.defaultValue);
            knob->setValue(parameter());
            return controlByTag_[spec.tag] = knob;
        }
        case ControlKind::SpeedSwitch: {
            auto* speedSwitch = new CSpeedSwitch(rect, this, spec.tag, bitmap);
            speedSwitch->setValue(parameter());
            return controlByTag_[spec.tag] = speedSwitch;
        }
        case ControlKind::Info:
            info_ = new CInfo(rect, bitmap, bitmaps.get(window::bitmap::kFont));
            info_->setLatency(getProcessLatency());
            return info_;
        case ControlKind::ValueField: {
            CTextEdit* field = makeValueField(spec, this, bitmap);
            field->setValue(parameter());
            return fieldByTag_[spec.tag] = field;
        }
        case ControlKind::MeterIn:
            meterIn_ = new CMeterIn(rect, this, bitmap);
            meterIn_->setMode(meterMode);
            return meterIn_;
        case ControlKind::MeterOut:
            meterOut_ = new CMeterOut(rect, this, bitmap);
            meterOut_->setMode(meterMode);
            return meterOut_;
        case ControlKind::MeterGR:
            meterGR_ = new CMeterGR(rect, this);
            meterGR_->setZoom(effect_->getParameter(kAttZoom));
            return meterGR_;
        case ControlKind::InputReadout:
            lcdIn_ = makeLevelReadout(rect, bitmap, bitmaps, meterMode);
            return lcdIn_;
        case ControlKind::OutputReadout:
            lcdOut_ = makeLevelReadout(rect, bitmap, bitmaps, meterMode);
            return lcdOut_;
        case ControlKind::GainReadout:
            lcdGR_ = new CMeterLCDGR(rect, this, bitmap, bitmaps.get(window::bitmap::kFont));
            return lcdGR_;
    }
    return nullptr;
}

CMeterLCD* Editor::makeLevelReadout(const CRect& rect, CBitmap* background, BitmapSet& bitmaps, int meterMode) {
    auto* lcd = new CMeterLCD(rect, this, background, bitmaps.get(window::bitmap::kFont),
                              bitmaps.get(window::bitmap::kSecondFont));
    lcd->setMode(meterMode);
    return lcd;
}

// ---------------------------------------------------------------------------------------------------------
// Scale

int Editor::chosenScale() const {
    if (requestedScale_) return requestedScale_;
    if (const int stored = link_.storedEditorScale()) return stored;
    if (const int hinted = hostScale_.load(std::memory_order_relaxed)) return hinted;
    return 100;
}

bool Editor::getRect(ERect** r) {
    const CRect size = scaledEditorRect(frame ? getOpenScale() : chosenScale());
    rect = {0, 0, static_cast<std::int16_t>(size.bottom), static_cast<std::int16_t>(size.right)};
    return AEffGUIEditor::getRect(r);
}

bool Editor::setContentScaleFactor(float factor) {
    const int percent = editorScaleForFactor(factor);
    if (percent == 0) return false;
    hostScale_.store(percent, std::memory_order_relaxed);
    return true;
}

// A menu of the three sizes, drawn by nobody and not hit by the mouse: the info panel's right click
// opens its list.
void Editor::addScaleMenu(const CRect& where) {
    scaleMenu_ = new COptionMenu(where, this, kScaleMenuTag, nullptr, nullptr, kNoDrawStyle);
    for (const int percent : kEditorScales) {
        const std::string title = "Editor size " + std::to_string(percent) + " %";
        scaleMenu_->addEntry(title.c_str())->setChecked(percent == getOpenScale());
    }
    for (int i = 0; i < scaleMenu_->getNbEntries(); ++i)
        if (kEditorScales[i] == getOpenScale()) scaleMenu_->setCurrent(i);
    scaleMenu_->setMouseEnabled(false);
    scaleMenu_->setTooltipText("Editor size");
    frame->addView(scaleMenu_);
    info_->setRightClickHandler([this] {
        if (scaleMenu_) scaleMenu_->openPopup();
    });
}

// Stored for every later window; this window changes at once where the host can resize it.
void Editor::chooseScale(int percent) {
    requestedScale_ = percent;
    link_.storeEditorScale(percent);
    for (int i = 0; scaleMenu_ && i < scaleMenu_->getNbEntries(); ++i)
        scaleMenu_->getEntry(i)->setChecked(kEditorScales[i] == percent);
    pendingScale_ = percent != getOpenScale() ? percent : 0;
}

// Rebuilds the window at the chosen scale and asks the host for the new size; only from the host's
// own idle call (never inside our own window's event or on our timer thread, which the host does not
// know). A host that cannot resize keeps this window until the next open.
void Editor::applyPendingScale() {
    if (!pendingScale_ || !frame || frame->isHandlingEvent() || toolkit::onWindowTimerThread()) return;
    pendingScale_ = 0;
    if (!effect_->canHostDo("sizeWindow")) return;
    void* parent = systemWindow;
    close();
    if (!open(parent)) return;
    const CRect size = scaledEditorRect(getOpenScale());
    effect_->sizeWindow(size.getWidth(), size.getHeight());
}

void Editor::close() {
    UiTurn turn(*this, UiTurn::kWait);
    CPresetSystemEditor::close();  // the preset bar's timer and controls first
    AEffGUIEditor::close();  // the frame, and with it every control, is released here
    clearControls();
    endOpenGestures();
}

void Editor::clearControls() {
    for (auto& control : controlByTag_) control = nullptr;
    for (auto& field : fieldByTag_) field = nullptr;
    for (auto& button : flashButtons_) button = nullptr;
    flashButtonCount_ = 0;
    modeButton_ = nullptr;
    bits_ = nullptr;
    noiseShape_ = nullptr;
    autoBlack_ = nullptr;
    calibButton_ = nullptr;
    meterIn_ = nullptr;
    meterOut_ = nullptr;
    meterGR_ = nullptr;
    lcdIn_ = nullptr;
    lcdOut_ = nullptr;
    lcdGR_ = nullptr;
    info_ = nullptr;
    scaleMenu_ = nullptr;
}

// ---------------------------------------------------------------------------------------------------------
// Idle pass

void Editor::idle() {
    UiTurn turn(*this, UiTurn::kTry);
    if (!turn || !frame) return;  // without the turn, the other thread is running this idle
    userInterfaceThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    const std::uint32_t now = tick_();
    if (static_cast<std::int32_t>(now - lastIdleTick_) < kIdleIntervalMs) return;

    applyPendingChanges();
    feedMeters(now);
    if (calibButton_) calibButton_->tick(now);

    if (flashStartTick_ != 0 && now - flashStartTick_ > kFlashMs) {
        setFlash(false);
        flashStartTick_ = 0;
    }

    CPresetSystemEditor::idle();  // the preset bar follows the program store; the toolkit redraws
    lastIdleTick_ = now;
    applyPendingScale();
}

// The meter values of the latest block; once the host has stopped calling process, silence instead of
// the last block's values frozen on screen. The level readouts keep their maxima until a reset.
void Editor::feedMeters(std::uint32_t now) {
    float meters[kMeterValueCount] = {};
    link_.getMeterValues(meters);
    const HostSignalWatch::Signal signal = hostSignal_.update(now, link_.meterPublicationCount());
    if (signal != HostSignalWatch::Signal::kFlowing) {
        for (float& value : meters) value = 0.0f;
        meters[kGainL] = meters[kGainR] = 1.0f;  // no gain reduction
    }
    if (signal == HostSignalWatch::Signal::kJustStopped) {
        // Straight to rest: the peak fall (8.66 dB a second) would take several seconds.
        if (meterIn_) meterIn_->reset();
        if (meterOut_) meterOut_->reset();
        if (meterGR_) meterGR_->reset();
    }
    if (meterIn_) meterIn_->setLevels(now, meters[kInPeakL], meters[kInPeakR], meters[kInLevelL], meters[kInLevelR]);
    if (meterOut_) meterOut_->setLevels(now, meters[kOutPeakL], meters[kOutPeakR], meters[kOutLevelL], meters[kOutLevelR]);
    if (meterGR_) meterGR_->setGains(now, meters[kGainL], meters[kGainR]);
    if (lcdIn_) lcdIn_->setPeaks(meters[kInPeakL], meters[kInPeakR]);
    if (lcdOut_) lcdOut_->setPeaks(meters[kOutPeakL], meters[kOutPeakR]);
    if (lcdGR_) lcdGR_->setGains(meters[kGainL], meters[kGainR]);
}

void Editor::applyPendingChanges() {
    std::uint32_t changed = changedParameters_.exchange(0, std::memory_order_relaxed);
    for (int index = 0; changed != 0; ++index, changed >>= 1)
        if (changed & 1u) applyParameter(index, effect_->getParameter(index));
    if (latencyChanged_.exchange(false, std::memory_order_relaxed) && info_) info_->setLatency(getProcessLatency());
}

// ---------------------------------------------------------------------------------------------------------
// Parameters in

void Editor::setParameter(VstInt32 index, float value) {
    if (index < 0 || index >= kEffectParamCount) return;
    if (onUserInterfaceThread()) {
        UiTurn turn(*this, UiTurn::kTry);  // not while our own timer thread runs the window
        if (turn) {
            if (frame) applyParameter(index, value);
            return;
        }
    }
    changedParameters_.fetch_or(1u << index, std::memory_order_relaxed);
}

void Editor::setProcessLatency(int samples) {
    processLatency_.store(samples, std::memory_order_relaxed);
    if (onUserInterfaceThread()) {
        UiTurn turn(*this, UiTurn::kTry);
        if (turn && info_) {
            info_->setLatency(samples);
            return;
        }
    }
    latencyChanged_.store(true, std::memory_order_relaxed);
}

void Editor::applyParameter(int index, float value) {
    const auto setControl = [](CControl* control, float v) {
        if (control) control->setValue(v);
    };
    switch (index) {
        case kOutput: case kDrive: case kTransient: case kRelease: case kLink: case kLeveller:
            setControl(controlByTag_[index], value);
            setControl(fieldByTag_[index], value);
            break;
        case kTransShape: case kOversample: case kDetectorOrder: case kPower: case kCalibrate: case kMeterOvs:
        case kAutoOut: case kPostMeter:
            setControl(controlByTag_[index], value);
            break;
        case kScale:
            if (modeButton_) modeButton_->setScale(value);
            setMeterMode(meterModeOf(effect_->getParameter(kMeterType), value));
            break;
        case kBits:
            if (bits_) bits_->setBits(value);
            break;
        case kNoiseShape:
            if (noiseShape_) noiseShape_->setShape(value);
            break;
        case kQuantize:
            setControl(controlByTag_[index], value);
            if (bits_) bits_->setQuantize(value);
            if (noiseShape_) noiseShape_->setQuantize(value);
            if (autoBlack_) autoBlack_->setQuantize(value);
            break;
        case kAutoblack:
            if (autoBlack_) autoBlack_->setState(value);
            break;
        case kMeterType:
            if (modeButton_) modeButton_->setType(value);
            setMeterMode(meterModeOf(value, effect_->getParameter(kScale)));
            break;
        case kAttZoom:
            setControl(controlByTag_[index], value);
            if (meterGR_) meterGR_->setZoom(value);
            break;
        case kAttShow: {
            if (meterGR_) meterGR_->reset();
            if (lcdGR_) lcdGR_->reset();
            const int mask = attShowMask(value);
            for (const int tag : {kAttShowBit1Tag, kAttShowBit2Tag, kAttShowBit4Tag})
                setControl(controlByTag_[tag], stepToValue((mask & attShowBitOfTag(tag)) ? 1 : 0, 2));
            break;
        }
        default: break;
    }
}

void Editor::setMeterMode(int mode) {
    if (meterIn_) meterIn_->setMode(mode);
    if (meterOut_) meterOut_->setMode(mode);
    if (lcdIn_) lcdIn_->setMode(mode);
    if (lcdOut_) lcdOut_->setMode(mode);
}

// ---------------------------------------------------------------------------------------------------------
// Controls out

void Editor::valueChanged(CControl* control) {
    if (!control) return;
    // The preset bar's controls (tags from 1000) are the preset system's: it hears every change first.
    CPresetSystemEditor::valueChanged(control);
    const int tag = control->getTag();
    const float value = control->getValue();
    if (tag == kScaleMenuTag && control == scaleMenu_) {
        const int index = scaleMenu_->getCurrentIndex();
        if (index >= 0 && index < static_cast<int>(std::size(kEditorScales))) chooseScale(kEditorScales[index]);
        return;
    }
    if (tag < 0 || tag > kLastEditorTag) return;
    switch (tag) {
        case kOversample: case kCalibrate: case kMeterOvs:
            resetMeters();
            automateParameter(tag, value);
            break;
        case kScale: case kMeterType: case kAttShow:
            break;  // the mode button writes its parameters itself; AttShow goes through tags 28 to 30
        case kDummy1: case kDummy2: case kDummy3: case kVersionMarker: case kParamCount:
            break;  // no control of the editor drives these (and no control has the tag after the last index)
        case kAttZoom:
            if (meterGR_) meterGR_->reset();
            automateParameter(tag, value);
            break;
        case kPostMeter:
            if (meterIn_) meterIn_->reset();
            if (lcdIn_) lcdIn_->reset();
            automateParameter(tag, value);
            break;
        case kMeterTag:
            resetMeters();
            break;
        case kAttShowBit1Tag: case kAttShowBit2Tag: case kAttShowBit4Tag:
            automateParameter(kAttShow, attShowWithBit(effect_->getParameter(kAttShow), attShowBitOfTag(tag),
                                                       readsOn(value)));
            break;
        default:
            automateParameter(tag, value);
            break;
    }
}

void Editor::automateParameter(int index, float value) {
    const bool inGesture = index >= 0 && index < kParamCount && openGestures_[index] > 0;
    if (!inGesture) beginEdit(index);
    effect_->setParameterAutomated(index, value);
    if (!inGesture) endEdit(index);
}

// The frame passes every control's tag; only parameter indices are gestures the host knows.
void Editor::beginEdit(VstInt32 index) {
    if (index < 0 || index >= kParamCount) return;
    ++openGestures_[index];
    CPresetSystemEditor::beginEdit(index);
}

void Editor::endEdit(VstInt32 index) {
    if (index < 0 || index >= kParamCount || openGestures_[index] == 0) return;
    --openGestures_[index];
    CPresetSystemEditor::endEdit(index);
}

// A window closed in the middle of a drag: the host still sees the gesture end.
void Editor::endOpenGestures() {
    for (int index = 0; index < kParamCount; ++index)
        while (openGestures_[index] > 0) endEdit(index);
}

void Editor::resetMeters() {
    if (meterIn_) meterIn_->reset();
    if (meterOut_) meterOut_->reset();
    if (meterGR_) meterGR_->reset();
    if (lcdIn_) lcdIn_->reset();
    if (lcdOut_) lcdOut_->reset();
    if (lcdGR_) lcdGR_->reset();
}

// ---------------------------------------------------------------------------------------------------------
// Metering preferences

void Editor::saveMeteringPreferences() {
    flashStartTick_ = nonZeroTick(tick_());
    setFlash(true);  // the flash shows whether or not the store can be written
    link_.storeMeteringPreferences();
}

void Editor::setFlash(bool on) {
    for (int i = 0; i < flashButtonCount_; ++i) flashButtons_[i]->setFlash(on);
    if (modeButton_) modeButton_->setFlash(on);
}

}  // namespace zarpa
