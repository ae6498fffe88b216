// The snapshot tool's host: makes the Toneloom effect through the module's
// own factory (linked into the tool, not loaded from a bundle), with its
// editor on the headless platform, initialises it as a DAW does and drives
// it block by block. Program changes and parameter settings travel in process
// calls, as a host's automation does; mouse input goes to the editor as a
// window would send it.
#pragma once

#include "EffectHost.h"
#include "ParameterCatalogue.h"

#include <string>
#include <vector>

namespace toneloom {

class IGraphicsHeadless;
class PX_IBitmap;

// One simulated mouse action, in the layout's pixels (470 x 455 at any scale).
struct MouseAction
{
    enum Kind
    {
        kClick,
        kRightClick,
        kDrag,
    };
    Kind kind = kClick;
    int x = 0;
    int y = 0;
    int dx = 0; // kDrag only: how far the pointer travels while held
    int dy = 0;
};

class SnapshotSession
{
public:
    SnapshotSession();
    ~SnapshotSession();
    SnapshotSession(const SnapshotSession&) = delete;
    SnapshotSession& operator=(const SnapshotSession&) = delete;

    // Makes and initialises the effect and its headless editor, sets up
    // processing at `sampleRateHz` in blocks of at most `blockFrames`, and
    // renders one block, so that the engine runs as it does in a playing
    // host. False with a one-line reason.
    bool Open(int sampleRateHz, int blockFrames, std::string* error);

    const ParameterCatalogue& Parameters() const { return effectHost.Parameters(); }
    const std::vector<std::string>& PresetNames() const { return effectHost.PresetNames(); }
    // A slot number or an exact preset name; false with a reason.
    bool FindPreset(const std::string& text, int* slot, std::string* error) const
    {
        return effectHost.FindPreset(text, slot, error);
    }
    // Selects preset `slot` through the program-change parameter.
    bool SelectPreset(int slot, std::string* error) { return effectHost.SelectPreset(slot, error); }
    // Applies one parameter change, as automation would.
    bool ApplyChange(Steinberg::Vst::ParamID id, double normalised, std::string* error)
    {
        return effectHost.ApplyChange(id, normalised, error);
    }
    // The --preset and --set rules: a preset (none when empty), then the
    // settings in order. False with the first reason.
    bool ApplyPresetAndSettings(const std::string& preset, const std::vector<std::string>& settings,
                                std::string* error)
    {
        return effectHost.ApplyPresetAndSettings(preset, settings, error);
    }

    // Opens the editor's (headless) window at `scale` (1 to 4) and draws it.
    void OpenEditor(float scale = 1.0f);
    // One mouse action on the open editor, followed by a redraw. False with a
    // reason when it starts outside the editor.
    bool Perform(const MouseAction& action, std::string* error);
    // Renders `seconds` of audio at `tempoBpm` with the transport playing,
    // redrawing the editor at its frame rate as a window would.
    bool Play(double seconds, double tempoBpm, std::string* error);
    // The whole editor, freshly drawn.
    const PX_IBitmap& Picture();

private:
    bool ProcessBlock(int frames, std::string* error);

    Steinberg::TUID classId{};
    Steinberg::IPluginFactory* factory = nullptr;
    EffectHost effectHost;
    IGraphicsHeadless* editor = nullptr; // owned by the effect
};

} // namespace toneloom
