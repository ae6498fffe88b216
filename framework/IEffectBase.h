// The host-neutral heart of a plug-in object: parameters, preset slots,
// channel lines and process dispatch, the instance mutex, identity and the
// attached editor. A binding (IEffectVST3) derives from it and supplies the
// host-facing operations; the product overrides OnReset, ParameterChanged and
// ProcessBlock.
//
// Threads: [audio thread] marks what the host's process call reaches,
// [UI thread] what the editor and controller calls reach, [any thread] what
// may come from either. Everything that touches parameter values or scratch
// buffers runs under the instance mutex, which is recursive: the process call
// loads presets and runs the change handler, which may set parameters again.
#pragma once

#include "GrowBuffer.h"
#include "IEditorLink.h"
#include "IParamRecord.h"
#include "PointerArray.h"
#include "StateChunk.h"
#include "TextBuffer.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <mutex>

namespace toneloom {

constexpr int kPluginNameSize = 128; // 127 characters and a terminator
constexpr int kPresetNameSize = 256; // 255 characters and a terminator

// One supported pair of channel counts.
struct IoLayout
{
    int32_t inputs = 0;
    int32_t outputs = 0;
};

struct InputLine
{
    bool connected = false;
    double** target = nullptr; // this line's entry in inputPointers
    GrowBuffer scratch;        // blockSize doubles
};

struct OutputLine
{
    bool connected = false;
    double** target = nullptr;    // this line's entry in outputPointers
    float* floatTarget = nullptr; // the host's 32-bit buffer, or null
    GrowBuffer scratch;           // blockSize doubles
};

struct PresetSlot
{
    bool filled = false;
    char name[kPresetNameSize] = {};
    StateChunk record; // the parameter record of the slot's values
};

// An 8-byte MIDI event; the binding fills it.
struct MidiMessage
{
    int32_t offsetFrames = 0; // position within the block, in samples
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    uint8_t reserved = 0;
};

// Delay store for latency compensation: input lines x latency doubles.
struct LatencyDelay
{
    GrowBuffer samples;
    int32_t writePosition = 0;
    int32_t inputs = 0;
    int32_t outputs = 0;
    int32_t latency = 0; // samples
};

// The host's timeline as the binding last saw it.
struct ITimeInfo
{
    double tempoBpm = 0.0;
    double samplePosition = 0.0;   // samples since the project start
    double quarterPosition = 0.0;  // quarter notes since the project start
    double barStartQuarters = 0.0; // quarter-note position of the current bar
    double cycleStartQuarters = 0.0;
    double cycleEndQuarters = 0.0;
    int32_t numerator = 4;
    int32_t denominator = 4;
    bool playing = false;
    bool cycleActive = false;
};

// Host transport, as the product reads it.
enum TransportState : int32_t
{
    kTransportStopped = 0,
    kTransportPlaying = 1,
    kTransportRecording = 2,
};

class IEffectBase
{
public:
    using InstanceLock = std::lock_guard<std::recursive_mutex>;

    // `ioLayoutText` lists supported channel pairs as "in-out" items separated
    // by blanks ("1-1 2-2"); `versionCode` is major << 16 | minor << 8 | patch.
    IEffectBase(int paramCount, const char* ioLayoutText, int presetCount, const char* effectName,
                const char* productName, const char* vendorName, int32_t versionCode,
                int32_t uniqueId, int32_t vendorId, int32_t latency, bool receivesMidi,
                bool stereoOutputBuses, int32_t apiKind);
    IEffectBase(const IEffectBase&) = delete;
    IEffectBase& operator=(const IEffectBase&) = delete;

    // Virtual operations, in their fixed order.
    /* 0 */ virtual ~IEffectBase();
    // [any thread] after the sample rate and block size were set.
    /* 1 */ virtual void OnReset();
    /* 2 */ virtual void ReservedHook2();
    // [any thread, instance mutex held by the caller] parameter `index` changed.
    /* 3 */ virtual void ParameterChanged(int index);
    /* 4 */ virtual void ParameterChangedLocked(int index);
    // [audio thread, instance mutex held] renders `frames` samples; the
    // default copies inputs to outputs and zeroes outputs without an input.
    /* 5 */ virtual void ProcessBlock(double** inputs, double** outputs, int frames);
    // [UI thread]
    /* 6 */ virtual void EditorOpened();
    /* 7 */ virtual void EditorClosed();
    /* 8 */ virtual void ReservedHook8();
    /* 9 */ virtual void ReservedHook9();
    /* 10 */ virtual void ActivationChanged(bool active);
    // [audio thread]
    /* 11 */ virtual void ReceiveMidi(const MidiMessage* message);
    /* 12 */ virtual void ReservedHook12();
    /* 13 */ virtual bool ReservedLookup(int key, char* text);
    /* 14 */ virtual bool SaveState(StateChunk* chunk);
    /* 15 */ virtual int LoadState(const StateChunk* chunk, int position);
    /* 16 */ virtual intptr_t EditorWindowMessage(uintptr_t wordParam, intptr_t longParam,
                                                  unsigned message);
    /* 17 */ virtual void ReservedHook17(int index);
    /* 18 */ virtual void PointerOverParam(int index);
    /* 19 */ virtual void ReservedHook19(int index);
    // [any thread] ReadParams restores a value only where this is true.
    /* 20 */ virtual bool AcceptsRestoredValue(int index, int presetIndex);
    /* 21 */ virtual void ViewSizeChanged(int left, int top, int right, int bottom);
    /* 22 */ virtual int GetApiKind();
    // Edit gestures, supplied by the binding: [UI thread]
    /* 23 */ virtual void NotifyEditBegin(int index) = 0;
    /* 24 */ virtual void NotifyWheelEditBegin(int index);
    /* 25 */ virtual void NotifyEditValue(int index, double normalised) = 0;
    /* 26 */ virtual void NotifyEditEnd(int index) = 0;
    /* 27 */ virtual void HostIdentified();
    /* 28 */ virtual void ShowHostContextMenu(int index, int x, int y);
    /* 29 */ virtual void ReservedHook29();
    // The host's timeline, supplied by the binding: [audio thread]
    // Samples since the project start, 64 bits wide: a night-long session
    // passes 2^31 samples.
    /* 30 */ virtual int64_t GetSamplePosition() = 0;
    /* 31 */ virtual double GetTempo() = 0; // beats per minute, 0 when unknown
    /* 32 */ virtual void GetTimeSignature(int* numerator, int* denominator) = 0;
    /* 33 */ virtual int GetHostKind();
    /* 34 */ virtual void ResizeEditor(int width, int height) = 0;
    /* 35 */ virtual void ReservedHook35();
    /* 36 */ virtual void ReservedHook36();
    // [UI thread] takes ownership of `newEditor`.
    /* 37 */ virtual void AttachEditor(IEditorLink* newEditor);
    // [not while processing] resizes every line's scratch to `frames` samples.
    /* 38 */ virtual void ChangeBlockSize(int frames);
    /* 39 */ virtual void ChangeLatency(int samples);
    /* 40 */ virtual bool SendMidi(const MidiMessage* message) = 0;
    /* 41 */ virtual bool SendMidiList(const MidiMessage* messages, int count);
    /* 42 */ virtual bool SendSysEx(const uint8_t* bytes, int count);
    // [any thread] the parameter record: one double per parameter.
    /* 43 */ virtual bool WriteParams(StateChunk* chunk);
    /* 44 */ virtual int ReadParams(const StateChunk* chunk, int position);
    /* 45 */ virtual bool WritePresetBank(StateChunk* chunk);
    /* 46 */ virtual int ReadPresetBank(const StateChunk* chunk, int position);
    // The binding's own operations: [audio thread]
    /* 47 */ virtual int HostTransportState() = 0; // a TransportState
    /* 48 */ virtual void HostTimeInfo(ITimeInfo* info) = 0;
    // True unless the host processes in real time: offline, or prefetching
    // (calls ahead of time at a varying pace). Either way the time between
    // two calls says nothing about the host's timeline.
    /* 49 */ virtual bool IsRenderingOffline() = 0;
    // [UI thread] Called on every tick of an open editor's redraw timer, out
    // of any host call: the binding tells the host here what it had to hold
    // back while the host was inside a call into the plug-in.
    /* 50 */ virtual void EditorTick();

    // Parameters.
    IParamRecord* ParamAt(int index) const { return params.Get(index); }
    int ParamCount() const { return params.Length(); }
    int InputLineCount() const { return inputLines.Length(); }
    int OutputLineCount() const { return outputLines.Length(); }

    // Identity.
    void SetHostFromName(const char* name, int version);
    // "v<major>.<minor, two digits>"; the patch level is not shown.
    void VersionText(char* text, size_t capacity) const;
    // Samples per beat at the host tempo, or 0 without a tempo.
    double SamplesPerBeat();

    // Channel lines. A negative count matches any number of channels.
    bool IoLayoutSupported(int inputs, int outputs) const;
    void SetInputsConnected(int start, int count, bool connected);
    void SetOutputsConnected(int start, int count, bool connected);
    void BindInputs(int start, int count, double** buffers);
    // Widens `frames` samples (at most blockSize) into the scratch buffers.
    void BindInputsFloat(int start, int count, float** buffers, int frames);
    void BindOutputs(int start, int count, double** buffers);
    void BindOutputsFloat(int start, int count, float** buffers);
    // [audio thread, instance mutex held] `frames` must not exceed blockSize
    // where a line works on its scratch buffer.
    void RunProcess(int frames);
    void RunProcessFloat(int frames);
    void RunBypass(int frames);
    void RunBypassFloat(int frames);
    void ClearScratch();
    void SetInputBusName(int index, const char* text);
    void SetOutputBusName(int index, const char* text);
    const char* InputBusName(int index) const;
    const char* OutputBusName(int index) const;

    // Edits from the editor. [UI thread]
    void SetParamFromEditor(int index, double normalised);
    void DeferEditEnd(int index);
    void FlushDeferredEditEnd();
    void RefreshParamControls();

    // Preset slots.
    // Marks `count` further slots filled, named `name` ("Default" for null),
    // with a record of every parameter's declared default value.
    void CreateDefaultPresets(const char* name, int count);
    // Fills the first free slot with one value per parameter, in index order.
    // False when the slots are full or the value count is not the parameter count.
    bool CreatePreset(const char* name, std::initializer_list<double> values);
    // [any thread, instance mutex held by the caller when processing]
    bool LoadPreset(int index);
    void NextUserPresetName(char* text, size_t capacity) const;
    // "" for an index out of range.
    const char* PresetName(int index) const;
    int PresetCount() const { return presets.Length(); }
    int CurrentPreset() const { return currentPreset; }
    const PresetSlot* PresetAt(int index) const { return presets.Get(index); }

    std::recursive_mutex& Mutex() { return mutex; }
    IEditorLink* Editor() const { return editor; }

    // Read-only views of the fields the binding and the product need.
    double SampleRate() const { return sampleRate; }
    int BlockSize() const { return blockSize; }
    int Latency() const { return latency; }
    int TailSamples() const { return tailSamples; }
    bool Bypassed() const { return bypassed; }
    bool ProcessingEnabled() const { return processingEnabled; }
    bool ReceivesMidi() const { return receivesMidi != 0; }
    bool StereoOutputBuses() const { return stereoOutputBuses; }
    int HostVersion() const { return hostVersion; }
    const char* EffectName() const { return effectName; }
    const char* ProductName() const { return productName; }
    const char* VendorName() const { return vendorName; }
    int32_t UniqueId() const { return uniqueId; }
    int32_t VendorId() const { return vendorId; }
    int32_t VersionCode() const { return versionCode; }
    int IoLayoutCount() const { return ioLayouts.Length(); }
    const IoLayout* IoLayoutAt(int index) const { return ioLayouts.Get(index); }
    const LatencyDelay* GetLatencyDelay() const { return latencyDelay; }
    int PendingEditEnd() const { return pendingEditEnd; }

protected:
    void SetSampleRate(double hz) { sampleRate = hz; }
    void SetBypassed(bool on) { bypassed = on; }
    void SetProcessingEnabled(bool on) { processingEnabled = on; }
    void SetTailSamples(int samples) { tailSamples = samples; }
    void SetCurrentPreset(int index) { currentPreset = index; }
    // Made by the binding when the plug-in has at least one input line.
    void CreateLatencyDelay();
    PointerArray<const char>& ParamGroups() { return paramGroups; }

private:
    void PassThrough(double** inputs, double** outputs, int frames);
    void NarrowToFloatOutputs(int frames);

    PointerArray<IoLayout> ioLayouts;
    PointerArray<IParamRecord> params;
    PointerArray<PresetSlot> presets;
    int32_t currentPreset = 0;
    int32_t pendingEditEnd = -1;
    std::recursive_mutex mutex;
    bool processingEnabled = false;
    LatencyDelay* latencyDelay = nullptr;
    bool stereoOutputBuses;
    bool bypassed = false;
    PointerArray<const char> paramGroups; // not owned
    double sampleRate = 44100.0;          // Hz
    int32_t latency;                      // samples
    char effectName[kPluginNameSize] = {};
    char productName[kPluginNameSize] = {};
    char vendorName[kPluginNameSize] = {};
    int32_t uniqueId;
    int32_t vendorId;
    int32_t versionCode;
    int32_t host = -1; // a HostKind
    int32_t apiKind;
    int32_t hostVersion = 0;
    int32_t receivesMidi;
    int32_t blockSize = 0;   // samples
    int32_t tailSamples = 0; // samples
    IEditorLink* editor = nullptr;
    GrowBuffer inputPointers;
    GrowBuffer outputPointers;
    PointerArray<InputLine> inputLines;
    PointerArray<OutputLine> outputLines;
    PointerArray<TextBuffer> inputBusNames;
    PointerArray<TextBuffer> outputBusNames;
};

} // namespace toneloom
