// The effect's editor object: lives as long as the effect; its window (MyFrame and every control) exists
// between open and close. It binds the controls to the effect's parameters, feeds the meters from its idle
// pass, and saves the metering preferences on request.
//
// Threading: open, close, idle, valueChanged and the control callbacks run in the editor's
// user-interface turn: on the host's user-interface thread, or on Linux on the window's own timer thread
// (AEffGUIEditor::UiTurn). setParameter and setProcessLatency may arrive on any thread (automation on the
// audio thread, a sample-rate change on a host thread). On the thread that last ran idle, and while no
// other thread has the turn, a parameter moves its control at once; otherwise it only marks the parameter
// as changed (one atomic bit), and the next idle pass moves the control to the effect's current value. So
// only the thread holding the turn ever touches a control, and a late change can never reach a control
// that close has released.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "editor/editor_services.h"
#include "editor/effect_link.h"
#include "editor/host_signal_watch.h"
#include "editor/preset_bar/preset_system_editor.h"
#include "engine/parameters.h"
#include "layout/window_layout.h"
#include "toolkit/control.h"

class CBitmap;
class COptionMenu;

namespace zarpa {

class MyFrame;
class CModeButton;
class CBits;
class CNoiseShape;
class CAutoBlack;
class CCalibButton;
class CZarpaButton;
class CMeterIn;
class CMeterOut;
class CMeterGR;
class CMeterLCD;
class CMeterLCDGR;
class CInfo;

class Editor : public CPresetSystemEditor, public EditorServices {  // the control listener comes with the preset system
public:
    // Attaches itself to the effect (setEditor); the link outlives it.
    Editor(CPresetSystemEffect* effect, EffectLink& link);
    ~Editor() override;

    bool open(void* parentWindow) override;
    void close() override;
    // The window at the scale it is open at, or would open at now.
    bool getRect(ERect** rect) override;
    // The host's content-scale hint: the scale when the user has chosen none.
    bool setContentScaleFactor(float factor) override;
    // The scale the next open uses: the choice made in this session, else the stored one, else the
    // host's hint, else 100.
    int chosenScale() const;
    int getOpenScale() const { return openScale_.load(std::memory_order_relaxed); }
    void idle() override;
    void setParameter(VstInt32 index, float value) override;
    void valueChanged(CControl* control) override;

    // Every change the user makes reaches the host inside an edit gesture (begin edit, automate, end
    // edit), so that hosts in touch or latch automation record switches and buttons as well as knobs. A
    // knob drag is one gesture from mouse down to mouse up (the toolkit opens and closes it); a change
    // inside an open gesture of its parameter is not bracketed again.
    void automateParameter(int index, float value) override;
    void beginEdit(VstInt32 index) override;
    void endEdit(VstInt32 index) override;
    void saveMeteringPreferences() override;

    // The processing latency in samples, shown by the info panel (any thread).
    void setProcessLatency(int samples);
    int getProcessLatency() const { return processLatency_.load(std::memory_order_relaxed); }

    MyFrame* getMyFrame() const;

    // The millisecond clock of the idle throttle, the flash and the meters (the system tick unless a test
    // or the snapshot tool drives time itself). The idle and flash times restart from the new clock.
    using TickSource = std::uint32_t (*)();
    void setTickSource(TickSource source);

private:
    class BitmapSet;
    CView* createControl(const window::Control& spec, BitmapSet& bitmaps, int meterMode);
    CMeterLCD* makeLevelReadout(const CRect& rect, CBitmap* background, BitmapSet& bitmaps, int meterMode);
    void applyParameter(int index, float value);
    void applyPendingChanges();
    void setMeterMode(int mode);
    void resetMeters();
    void feedMeters(std::uint32_t now);
    void setFlash(bool on);
    void clearControls();
    void addScaleMenu(const CRect& where);
    void chooseScale(int percent);
    void applyPendingScale();
    void endOpenGestures();
    bool onUserInterfaceThread() const;

    CPresetSystemEffect* effect_;
    EffectLink& link_;
    TickSource tick_;

    // The window's controls; all null while the window is closed.
    // By tag, 0 to kLastEditorTag: the single control that shows a parameter (knob, button, selector), and
    // the value fields.
    CControl* controlByTag_[window::kLastEditorTag + 1] = {};
    CControl* fieldByTag_[window::kLastEditorTag + 1] = {};
    CModeButton* modeButton_ = nullptr;
    CBits* bits_ = nullptr;
    CNoiseShape* noiseShape_ = nullptr;
    CAutoBlack* autoBlack_ = nullptr;
    CCalibButton* calibButton_ = nullptr;
    CMeterIn* meterIn_ = nullptr;
    CMeterOut* meterOut_ = nullptr;
    CMeterGR* meterGR_ = nullptr;
    CMeterLCD* lcdIn_ = nullptr;
    CMeterLCD* lcdOut_ = nullptr;
    CMeterLCDGR* lcdGR_ = nullptr;
    CInfo* info_ = nullptr;
    COptionMenu* scaleMenu_ = nullptr;  // offered by a right click on the info panel's spot
    CZarpaButton* flashButtons_[window::kPreferenceButtonCount] = {};  // the buttons that save the metering preferences
    int flashButtonCount_ = 0;

    int openGestures_[kParamCount] = {};  // edits begun and not yet ended, per parameter

    std::uint32_t lastIdleTick_;
    std::uint32_t flashStartTick_;
    HostSignalWatch hostSignal_;
    int requestedScale_ = 0;  // chosen from the menu in this session (0: none)
    int pendingScale_ = 0;    // chosen while open: the window is rebuilt at the host's next idle

    // Crossing threads.
    std::atomic<int> processLatency_{0};
    std::atomic<std::uint32_t> changedParameters_{0};  // bit i: parameter i changed off the UI thread
    std::atomic<bool> latencyChanged_{false};
    std::atomic<int> hostScale_{0};   // from the host's content-scale hint
    std::atomic<int> openScale_{100};  // the window's scale while open
    std::atomic<std::thread::id> userInterfaceThread_{};
};

}  // namespace zarpa
