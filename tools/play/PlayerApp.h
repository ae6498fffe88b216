// toneloom-play with its window: the live player, the strip and the plug-in's
// own editor in one window, and what the program remembers between runs.
//
// It hosts the editor as a DAW does: the editor's edits travel to the audio
// thread through the player's queue (PlayerComponentHandler), what process
// reports back comes to this thread on the window's tick and is handed to the
// controller, and a restart re-reads the plug-in's values. Every call into
// the plug-in is made from the tick or from the start and end of Run, never
// from inside one of the plug-in's calls into the program.
//
// Closing the window, Ctrl-C and the end of a session all end the same way:
// the settings are saved, the window closes, the tone fades out as the
// transport stops, and Run returns 0.
//
// Threads: [main thread], which is the window's UI thread.
#pragma once

#include "AudioDevice.h"
#include "LivePlayer.h"
#include "PlayStatus.h"
#include "PlayerSettingsFile.h"
#include "PlayerStrip.h"
#include "PlayerWindow.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace toneloom {

class EffectHost;
class PlayerComponentHandler;

struct PlayerAppSetup
{
    LiveSession live;                // the session (its schedule kept by the caller)
    LineLabels labels;               // the schedule's lines, for the strip
    std::string startPreset;         // the preset the session starts from, if any
    std::string device;              // --device as given ("": the saved or default one)
    int sampleRate = 0;              // --sample-rate, Hz (0: the saved or the device's)
    int bufferFrames = 0;            // --buffer, frames (0: the saved or the default)
    bool restoreState = true;        // false with --preset, --preset-file, --set, --fresh
    bool restoreSettings = true;     // false with --fresh
};

class PlayerApp : public PlayerStrip::Listener, public PlayerWindow::Client
{
public:
    // Every few minutes while playing, what changed is saved.
    static constexpr int kAutosaveSeconds = 120;

    PlayerApp(EffectHost& effect, AudioDevice& audio, PlayerWindow& window, PlayerAppSetup setup);
    ~PlayerApp() override;
    PlayerApp(const PlayerApp&) = delete;
    PlayerApp& operator=(const PlayerApp&) = delete;

    // Restores what was saved, opens the stream and the window, plays until
    // the window closes, saves, and returns the exit code (0; 1 with a
    // one-line reason on stderr when the window or the stream cannot open).
    int Run();

    // PlayerStrip::Listener
    void StripPlayingChanged(bool playing) override;
    void StripDeviceChosen(int index) override;
    void StripSampleRateChosen(int hz) override;
    void StripBufferChosen(int frames) override;
    // PlayerWindow::Client
    void CloseRequested() override;
    void Tick() override;

private:
    // Start-up steps of Run; false with `error` set.
    void RestoreSettings();
    bool ChooseAndOpenStream(std::string* error);
    void FillStripLists();
    void AskReopen(const StreamRequest& request);
    // Reopens the stream on `request`; on failure goes back to what played
    // before and says why in the strip.
    void Reopen(const StreamRequest& request);
    // The device list's labels (a name shared by two devices gets its host
    // API), and the index of `label` in it, or -1.
    std::vector<std::string> DeviceLabels() const;
    int DeviceIndexOf(const std::string& label) const;
    // The tick's parts.
    void TakeReportedValues();
    void ReadAllValues();
    void ShowStatus();
    void Save(const char* when);
    PlayerSettings CurrentSettings() const;
    void Note(const std::string& text, bool warning);
    void WriteReport() const;

    EffectHost& effect;
    AudioDevice& audio;
    PlayerWindow& window;
    PlayerAppSetup setup;
    LivePlayer player;
    PlayerStrip strip;
    PlayerComponentHandler* handler = nullptr; // one reference held
    Steinberg::IPlugView* view = nullptr;      // one reference held
    Steinberg::Vst::IEditController* controller = nullptr;

    PlayerSettings saved;              // as read at start
    std::vector<OutputDevice> devices; // the strip's list
    std::vector<int> rates;            // Hz, for the current device
    std::vector<int> buffers;          // frames
    StreamRequest playing;             // what plays now
    StreamRequest reopenRequest;       // what the strip asked for
    bool reopenWanted = false;
    bool deviceChosen = false;         // the device was picked, not the default
    bool rateChosen = false;
    bool bufferChosen = false;

    std::map<Steinberg::Vst::ParamID, double> values; // the plug-in's, as the program knows them
    std::string shownTime;
    std::string shownStatus;
    std::string note; // a short message that stays in the strip until the next one
    bool noteIsWarning = false;
    bool closing = false;
    bool failureShown = false;
    std::string lastSavedText;
    std::chrono::steady_clock::time_point lastSave;
    std::chrono::steady_clock::time_point lastProgress;
    uint64_t lastBuffers = 0;
    int ticks = 0;
    int refusedCalls = 0; // calls into the plug-in the tick had to skip
};

} // namespace toneloom
