// The VST 3 binding of the plug-in base: one object that is the host's audio
// processor, component and edit controller at once. It turns buses, process
// calls, parameter queues, the process context, state streams and controller
// queries into calls of IEffectBase, and the base's notifications (edits,
// latency, editor size, context menu) into host calls.
//
// Threads: the host's audio thread enters process; its UI thread the
// controller, unit and view calls; state and setup calls come from either.
// process, setup and the bus calls hold the instance mutex (recursive: the
// change handler and OnReset take it again inside them); the state calls
// hold it only to apply or make the parameter record, never while they read
// or write the host's stream.
//
// The plug-in never calls the host's component handler from inside one of
// the host's calls into it (see HostCallScope): a program change or state
// load that the host asked for reaches it afterwards, as output parameter
// changes of the next process call and as restartComponent on the next tick
// of the editor's timer, or of an idle timer where the host offers one.
//
// The calls are defined by the interface they serve: IEffectVST3.cpp
// (construction, component, services to the plug-in base),
// IEffectVST3Processor.cpp, IEffectVST3Controller.cpp, IEffectVST3Units.cpp
// and IEffectVST3State.cpp; the calls it never uses are in
// IEffectVST3Unused.cpp.
#pragma once

#include "HostIdleTimer.h"
#include "IEffectBase.h"
#include "IEffectVST3ViewLink.h"
#include "SingleComponentEffect.h"

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace toneloom {

// VST 3 interfaces are COM-style: they have no virtual destructor and their
// objects end through release(), never through delete on an interface
// pointer. GCC's non-virtual-dtor check would flag every implementation.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class IEffectVST3 : public IEffectBase,
                    public Steinberg::Vst::IUnitInfo,
                    public SingleComponentEffect
{
public:
    // The plug-in base's arguments, then: `usesChunks` (accepted for the
    // base's interface; the saved state is always the parameter record),
    // `stereoOutputBuses` (one stereo output bus per channel pair instead of
    // one bus) and `sideChainChannels` (input lines after the main ones that
    // form an auxiliary input bus, at most 2 are declared).
    IEffectVST3(int paramCount, const char* ioLayoutText, int presetCount, const char* effectName,
                const char* productName, const char* vendorName, int32_t versionCode,
                int32_t uniqueId, int32_t vendorId, int32_t latency, bool receivesMidi,
                bool usesChunks, bool stereoOutputBuses, int sideChainChannels);
    ~IEffectVST3() override;
    IEffectVST3(const IEffectVST3&) = delete;
    IEffectVST3& operator=(const IEffectVST3&) = delete;

    // IPluginBase [UI thread]
    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    Steinberg::tresult PLUGIN_API terminate() override;

    // IComponent [UI thread]
    Steinberg::tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type,
                                              Steinberg::Vst::BusDirection dir,
                                              Steinberg::int32 index,
                                              Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) override;

    // IAudioProcessor
    Steinberg::tresult PLUGIN_API
    canProcessSampleSize(Steinberg::int32 symbolicSampleSize) override;
    // [UI thread] Refuses a sample size other than 32 or 64 bit, a sample
    // rate that is not finite and positive, and a maximum block below 1.
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
    Steinberg::uint32 PLUGIN_API getLatencySamples() override;
    // kInfiniteTail: the tone does not depend on the input.
    Steinberg::uint32 PLUGIN_API getTailSamples() override;
    Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs,
                                                     Steinberg::int32 numIns,
                                                     Steinberg::Vst::SpeakerArrangement* outputs,
                                                     Steinberg::int32 numOuts) override;
    // [audio thread] Applies the last point of each parameter queue, then
    // renders the block in pieces of at most the set-up block size. Values
    // that changed without the host sending them (a program change, the
    // engine's own reactions) go out as output parameter changes at offset 0.
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;

    // IEditController [UI thread]
    Steinberg::tresult PLUGIN_API getParamStringByValue(Steinberg::Vst::ParamID id,
                                                        Steinberg::Vst::ParamValue valueNormalized,
                                                        Steinberg::Vst::String128 string) override;
    Steinberg::Vst::ParamValue PLUGIN_API plainParamToNormalized(
        Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue plainValue) override;
    Steinberg::Vst::ParamValue PLUGIN_API getParamNormalized(Steinberg::Vst::ParamID id) override;
    // Sets a value without running the change handler; a value that is not
    // finite is refused. For the program-change ID it selects the program:
    // a program other than the current one is loaded, and once this call
    // has returned the host hears of every value it changed.
    Steinberg::tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID id,
                                                     Steinberg::Vst::ParamValue value) override;
    Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;
    // The component's state handed to the controller (hosts that restore a
    // project this way after IComponent::setState): applied exactly as
    // setState applies it, so after setState it changes nothing.
    Steinberg::tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) override;

    // IUnitInfo [UI thread]
    Steinberg::int32 PLUGIN_API getUnitCount() override;
    Steinberg::tresult PLUGIN_API getUnitInfo(Steinberg::int32 unitIndex,
                                              Steinberg::Vst::UnitInfo& info) override;
    Steinberg::int32 PLUGIN_API getProgramListCount() override;
    Steinberg::tresult PLUGIN_API
    getProgramListInfo(Steinberg::int32 listIndex, Steinberg::Vst::ProgramListInfo& info) override;
    Steinberg::tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId,
                                                 Steinberg::int32 programIndex,
                                                 Steinberg::Vst::String128 name) override;
    Steinberg::Vst::UnitID PLUGIN_API getSelectedUnit() override;

    // Services to the plug-in base.
    // Edit gestures for the host; inside the process call, or inside any
    // other call from the host, they are left to output parameter changes
    // and a later restart instead.
    void NotifyEditBegin(int index) override;                         // [UI thread]
    void NotifyEditValue(int index, double normalised) override;      // [UI thread]
    void NotifyEditEnd(int index) override;                           // [UI thread]
    void ShowHostContextMenu(int index, int x, int y) override;       // [UI thread]
    int64_t GetSamplePosition() override;                             // [audio thread]
    double GetTempo() override;                                       // [audio thread]
    void GetTimeSignature(int* numerator, int* denominator) override; // [audio thread]
    void ResizeEditor(int width, int height) override;                // [UI thread]
    // [UI thread] Stores the latency and asks the host to restart the
    // component (held back while inside a host call).
    void ChangeLatency(int samples) override;
    // [UI thread] Delivers what was held back for the host.
    void EditorTick() override;
    // [audio thread] a TransportState; playing while the host has never
    // passed a process context.
    int HostTransportState() override;
    void HostTimeInfo(ITimeInfo* info) override; // [audio thread]
    bool IsRenderingOffline() override;          // [any thread]

    // Calls the interfaces and the plug-in base require but this plug-in
    // never uses, each with its fixed answer (IEffectVST3Unused.cpp):
    // IEditController: setKnobMode OK, ignored; openHelp and openAboutBox
    // false.
    Steinberg::tresult PLUGIN_API setKnobMode(Steinberg::Vst::KnobMode mode) override;
    Steinberg::tresult PLUGIN_API openHelp(Steinberg::TBool onlyCheck) override;
    Steinberg::tresult PLUGIN_API openAboutBox(Steinberg::TBool onlyCheck) override;
    // IUnitInfo, all kNotImplemented: no program attributes or pitch names,
    // one unit that is always selected, no unit data.
    Steinberg::tresult PLUGIN_API getProgramInfo(Steinberg::Vst::ProgramListID listId,
                                                 Steinberg::int32 programIndex,
                                                 Steinberg::Vst::CString attributeId,
                                                 Steinberg::Vst::String128 attributeValue) override;
    Steinberg::tresult PLUGIN_API hasProgramPitchNames(Steinberg::Vst::ProgramListID listId,
                                                       Steinberg::int32 programIndex) override;
    Steinberg::tresult PLUGIN_API getProgramPitchName(Steinberg::Vst::ProgramListID listId,
                                                      Steinberg::int32 programIndex,
                                                      Steinberg::int16 midiPitch,
                                                      Steinberg::Vst::String128 name) override;
    Steinberg::tresult PLUGIN_API selectUnit(Steinberg::Vst::UnitID unitId) override;
    Steinberg::tresult PLUGIN_API getUnitByBus(Steinberg::Vst::MediaType type,
                                               Steinberg::Vst::BusDirection dir,
                                               Steinberg::int32 busIndex, Steinberg::int32 channel,
                                               Steinberg::Vst::UnitID& unitId) override;
    Steinberg::tresult PLUGIN_API setUnitProgramData(Steinberg::int32 listOrUnitId,
                                                     Steinberg::int32 programIndex,
                                                     Steinberg::IBStream* data) override;
    // Plug-in base: no MIDI output, false.
    bool SendMidi(const MidiMessage* message) override;

    // Open editor views, oldest first. [UI thread]
    void AddView(IEffectVST3ViewLink* view);
    void RemoveView(IEffectVST3ViewLink* view);
    int ViewCount() const { return views.Length(); }

    // The last process context the host passed, with non-finite values and
    // non-positive time-signature parts of later contexts ignored. The
    // process call writes it: read it there or with the instance mutex held.
    const Steinberg::Vst::ProcessContext& LastProcessContext() const { return processContext; }
    int SideChainChannels() const { return sideChainChannels; }

    OBJ_METHODS(IEffectVST3, SingleComponentEffect)
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    REFCOUNT_METHODS(SingleComponentEffect)

protected:
    // Component state: the parameter record, as the base saves it.
    Steinberg::tresult LoadComponentState(Steinberg::IBStream* state) override;
    Steinberg::tresult SaveComponentState(Steinberg::IBStream* state) override;
    // Controller state: nothing of its own; the calls only pass the mutex.
    Steinberg::tresult LoadControllerState(Steinberg::IBStream* state) override;
    Steinberg::tresult SaveControllerState(Steinberg::IBStream* state) override;

private:
    // The speaker arrangement declared for a bus of `channels` channels.
    static Steinberg::Vst::SpeakerArrangement DefaultArrangement(int channels);
    void DeclareBuses();
    void DeclareParameters();
    int PresetIndexFor(double normalised) const;
    // [UI thread] The controller's program change.
    Steinberg::tresult SelectProgram(int index);
    // [instance mutex held] Notes every value before a load the host asked
    // for, and afterwards marks those that changed for the next process
    // call's output changes; true when any did.
    void KeepValuesBeforeLoad();
    bool MarkValuesChangedByLoad();
    // Asks the host to restart with `flags` now, or, inside a host call or
    // the process call, holds the flags back for DeliverHeldRestart.
    void RestartHostComponent(Steinberg::int32 flags);
    // [UI thread, outside host calls] Sends the held-back restart flags.
    void DeliverHeldRestart();
    // True on the thread that is inside process right now.
    bool InProcessCall() const;
    double PresetNormalised() const;

    // Stages of the process call. [audio thread, instance mutex held]
    void KeepProcessContext(const Steinberg::Vst::ProcessContext* context);
    // Notes every parameter's value before the block's changes.
    void KeepParamValues();
    void ApplyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
    Steinberg::tresult RenderBlock(Steinberg::Vst::ProcessData& data);
    // Writes the values that changed since KeepParamValues, except those the
    // host sent, into the host's output changes (null: none wanted).
    void ReportParamChanges(Steinberg::Vst::IParameterChanges* changes);
    void ApplyNormalised(Steinberg::Vst::ParamID id, double normalised);
    void ForwardMidiEvents(Steinberg::Vst::IEventList* events);
    // Channels of a host bus that can be bound: 0 when the bus is missing
    // or inactive, its channel array is null or a channel pointer in it is.
    int UsableChannels(const Steinberg::Vst::AudioBusBuffers* buffers, Steinberg::Vst::Bus* bus,
                       int lines, bool wide) const;
    void BindInputPiece(const Steinberg::Vst::ProcessData& data, int offset, int frames, bool wide);
    void BindOutputPiece(const Steinberg::Vst::ProcessData& data, int offset, bool wide);
    void BindInputChannels(const Steinberg::Vst::AudioBusBuffers& buffers, int firstLine, int count,
                           int offset, int frames, bool wide);
    void SilenceOutputs(const Steinberg::Vst::ProcessData& data);

    Steinberg::Vst::ProcessContext processContext{};
#pragma GCC diagnostic pop
    // False until a process call carries a context: a host without any
    // transport counts as playing.
    bool hostHasTransport = false;
    // The mode the latest process call carried: hosts switch between real
    // time and prefetch there, without a new setup.
    Steinberg::int32 callProcessMode = Steinberg::Vst::kRealtime;
    int sideChainChannels;
    // Input lines bound to host buffers in the last piece, one bit per line
    // (the first 64). A line that drops out reads its scratch buffer, which
    // is cleared first so that no stale input is heard.
    uint64_t liveInputLines = 0;
    PointerArray<IEffectVST3ViewLink> views; // not owned
    // Channel pointers advanced to the current piece, one per line; sized at
    // construction so the process call allocates nothing.
    GrowBuffer pieceChannels;
    // Per parameter, sized at construction: the plain value before the
    // block's changes (doubles), and whether the host sent the parameter in
    // the block (bytes). [audio thread]
    std::vector<double> paramsBefore;
    std::vector<uint8_t> paramsFromHost;
    // Per parameter, sized at construction: a value a load made outside the
    // process call that the next process call reports (bytes), and the
    // values before that load (doubles). [instance mutex held]
    std::vector<uint8_t> paramsToReport;
    std::vector<double> paramsBeforeLoad;
    // The thread inside process, or no thread: edits the engine makes there
    // go to the host as output parameter changes, never through the
    // component handler, which is for the UI thread.
    std::atomic<std::thread::id> processThread{};
    // RestartFlags held back until the host's call has returned. [any thread]
    std::atomic<Steinberg::int32> heldRestartFlags{0};
    // Delivers the held-back restart while no editor is open, where the
    // host offers a timer for it. [UI thread]
    std::unique_ptr<HostIdleTimer> idleTimer;
};

} // namespace toneloom
