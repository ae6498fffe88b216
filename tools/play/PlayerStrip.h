// The strip along the top of toneloom-play's window: play/pause, the time
// (and with a schedule the position in it and its current line), and the
// output device, sample rate and buffer size, each picked from a list. It is
// drawn with the editor's graphics layer, controls and look.
//
// The strip is an effect object of its own that makes no sound: its
// parameters are the strip's choices, so its controls edit them exactly as
// the editor's controls edit the plug-in's, and every choice the user makes
// reaches the window through Listener. Values the program sets (SetPlaying,
// SetDevices, ...) change the controls without calling the listener.
//
// The strip's surface is kHeight logical pixels of strip plus room below for
// its lists: a list opens downwards over the plug-in's editor, and the window
// lets it show there while it is open (PopupArea).
//
// Threads: [UI thread] only.
#pragma once

#include "IEffectBase.h"
#include "IGraphicsTypes.h"

#include <string>
#include <vector>

namespace toneloom {

class IGraphics;
class ITextControl;
class StripPlayButton;
class StripSelector;

class PlayerStrip : public IEffectBase
{
public:
    // The strip's size, logical pixels (the editor's width).
    static constexpr int kWidth = 470;
    static constexpr int kHeight = 62;
    // Logical pixels below the strip that the surface keeps for the lists.
    static constexpr int kListRoom = 455;
    // The strip's pictures (ids at 1x; the 2x and 3x sets follow the
    // editor's rule, kArtSetIdStep higher per step of zoom).
    static constexpr int kStripPicture = 120;      // the strip's face, kWidth x kHeight
    static constexpr int kPlayButtonPicture = 121; // 44 x 44, paused and playing frames

    enum Param : int
    {
        kParamPlaying,    // bool: 1 playing, 0 paused
        kParamDevice,     // list: the output devices, by their place in SetDevices
        kParamSampleRate, // list: the sample rates of SetSampleRates
        kParamBuffer,     // list: the buffer sizes of SetBuffers
        kNumParams
    };

    // What the user picks in the strip.
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void StripPlayingChanged(bool playing) = 0;
        // `index` into the names given to SetDevices.
        virtual void StripDeviceChosen(int index) = 0;
        virtual void StripSampleRateChosen(int hz) = 0;
        virtual void StripBufferChosen(int frames) = 0;
    };

    explicit PlayerStrip(Listener& listener);
    ~PlayerStrip() override;

    // Adds the strip's controls to `graphics` (made by the window for this
    // strip, kWidth wide and kHeight + kListRoom high) and attaches
    // it; the strip owns it from then on. The window made it with the
    // program's own module handle, where the strip's pictures live.
    void BuildControls(IGraphics* graphics);

    // The choices and what the strip shows. `current` is an index into the
    // list (-1: none).
    void SetDevices(const std::vector<std::string>& names, int current);
    void SetSampleRates(const std::vector<int>& hz, int current);
    void SetBuffers(const std::vector<int>& frames, int current);
    void SetPlaying(bool playing);
    // The elapsed time: "0:12", "1:02:03"; with a schedule, "0:12 / 5:00".
    void SetTimeText(const std::string& text);
    // The line under the time: the schedule's current line, or a note such
    // as a saved device that is gone (`warning` draws it in the warning
    // colour). "" clears it.
    void SetStatusText(const std::string& text, bool warning);

    // Closes the open list without a choice: the window calls it when the
    // user presses outside it (in the plug-in's editor, or another window).
    // A press on the strip itself closes it already.
    void CloseList();

    // The area of the open list, in logical pixels of the strip's surface;
    // false when no list is open.
    bool PopupArea(IBox* area) const;

    // IEffectBase: the binding's duties, for an effect with no host.
    void NotifyEditBegin(int index) override;
    void NotifyEditValue(int index, double normalised) override;
    void NotifyEditEnd(int index) override;
    int64_t GetSamplePosition() override { return 0; }
    double GetTempo() override { return 0.0; }
    void GetTimeSignature(int* numerator, int* denominator) override;
    void ResizeEditor(int width, int height) override;
    bool SendMidi(const MidiMessage* message) override;
    int HostTransportState() override { return kTransportStopped; }
    void HostTimeInfo(ITimeInfo* info) override;
    bool IsRenderingOffline() override { return false; }

private:
    // Sets a list parameter from the program: its entries (value texts),
    // the entry shown, and the selector's whole texts; no listener call.
    void SetList(int paramIndex, const std::vector<std::string>& texts, int current);
    StripSelector* SelectorFor(int paramIndex) const;
    // Sends parameter `paramIndex`'s plain value to its controls.
    void PushToControls(int paramIndex);

    Listener& listener;
    std::vector<std::string> devices;
    std::vector<int> rates;   // Hz
    std::vector<int> buffers; // frames
    // The entry (for lists) or 0/1 (playing) the window last knew of, per
    // parameter: a user's edit reaches the listener only when it differs.
    int known[kNumParams] = {0, -1, -1, -1};
    bool reporting = false;                  // inside a listener call
    std::string time = "0:00";
    std::string status;
    bool statusIsWarning = false;
    IGraphics* graphics = nullptr;           // owned through AttachEditor
    StripPlayButton* playButton = nullptr;   // owned by the graphics
    StripSelector* deviceBox = nullptr;      // owned by the graphics
    StripSelector* rateBox = nullptr;        // owned by the graphics
    StripSelector* bufferBox = nullptr;      // owned by the graphics
    ITextControl* timeText = nullptr;        // owned by the graphics
    ITextControl* statusText = nullptr;      // owned by the graphics
    ITextControl* statusWarning = nullptr;   // owned by the graphics
};

} // namespace toneloom
