// toneloom-play's side of the plug-in's edits, as a DAW's: the editor's
// performEdit goes to the audio thread through the player's lock-free queue
// and reaches the plug-in in the next buffer's input parameter changes;
// restartComponent and setDirty are only noted, for the window's next tick
// to act on. Nothing here calls into the plug-in: a host that calls back
// from inside a plug-in's call is how DAWs hang.
//
// Threads: [UI thread] (the editor's); the notes are atomics, so the window
// may read them from its own loop.
#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <atomic>
#include <cstdint>

namespace toneloom {

class LivePlayer;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor" // COM-style interfaces end through release()

class PlayerComponentHandler : public Steinberg::FObject,
                               public Steinberg::Vst::IComponentHandler,
                               public Steinberg::Vst::IComponentHandler2
{
public:
    explicit PlayerComponentHandler(LivePlayer& player) : player(player) {}

    // The restart flags asked for since the last call, cleared.
    Steinberg::int32 TakeRestartFlags() { return restartFlags.exchange(0); }
    // Whether an edit or a dirty mark came since the last call, cleared.
    bool TakeEdited() { return edited.exchange(false); }
    // Edits the queue had no room for (dropped).
    uint64_t DroppedEdits() const { return dropped.load(); }
    // Gestures begun and not yet ended.
    int OpenGestures() const { return openGestures.load(); }

    // How many of the plug-in's calls into this program are under way on
    // this thread: the window makes no call into the plug-in while any is.
    static int CallsFromPlugin();

    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                              Steinberg::Vst::ParamValue normalised) override;
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;
    Steinberg::tresult PLUGIN_API setDirty(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API requestOpenEditor(Steinberg::FIDString name) override;
    Steinberg::tresult PLUGIN_API startGroupEdit() override;
    Steinberg::tresult PLUGIN_API finishGroupEdit() override;

    OBJ_METHODS(PlayerComponentHandler, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(IComponentHandler)
    DEF_INTERFACE(IComponentHandler2)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

    // Marks a call from the plug-in into the program for its duration.
    class FromPlugin
    {
    public:
        FromPlugin();
        ~FromPlugin();
        FromPlugin(const FromPlugin&) = delete;
        FromPlugin& operator=(const FromPlugin&) = delete;
    };

private:
    LivePlayer& player;
    std::atomic<Steinberg::int32> restartFlags{0};
    std::atomic<bool> edited{false};
    std::atomic<uint64_t> dropped{0};
    std::atomic<int> openGestures{0};
};

#pragma GCC diagnostic pop

} // namespace toneloom
