#include "IEffectBase.h"

#include "HostKind.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace toneloom {

namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr const char* kUserPresetStem = "user preset";
constexpr const char* kDefaultPresetName = "Default";

} // namespace

IEffectBase::IEffectBase(int paramCount, const char* ioLayoutText, int presetCount,
                         const char* newEffectName, const char* newProductName,
                         const char* newVendorName, int32_t newVersionCode, int32_t newUniqueId,
                         int32_t newVendorId, int32_t newLatency, bool newReceivesMidi,
                         bool newStereoOutputBuses, int32_t newApiKind)
    : stereoOutputBuses(newStereoOutputBuses), latency(newLatency), uniqueId(newUniqueId),
      vendorId(newVendorId), versionCode(newVersionCode), apiKind(newApiKind),
      receivesMidi(newReceivesMidi ? 1 : 0)
{
    for (int i = 0; i < paramCount; ++i) {
        auto* record = new IParamRecord;
        if (!params.Append(record)) {
            delete record;
        }
    }
    for (int i = 0; i < presetCount; ++i) {
        auto* slot = new PresetSlot;
        std::snprintf(slot->name, sizeof slot->name, "- %d -", i + 1);
        if (!presets.Append(slot)) {
            delete slot;
        }
    }
    CopyFixedText(effectName, sizeof effectName, newEffectName);
    CopyFixedText(productName, sizeof productName, newProductName);
    CopyFixedText(vendorName, sizeof vendorName, newVendorName);

    int maxInputs = 0;
    int maxOutputs = 0;
    const char* item = ioLayoutText;
    while (item != nullptr) {
        auto* layout = new IoLayout;
        int inputs = 0;
        int outputs = 0;
        // A malformed item reads as 0-0, as the counts start at 0.
        std::sscanf(item, "%d-%d", &inputs, &outputs);
        layout->inputs = inputs;
        layout->outputs = outputs;
        if (ioLayouts.Append(layout)) {
            maxInputs = std::max(maxInputs, inputs);
            maxOutputs = std::max(maxOutputs, outputs);
        } else {
            delete layout;
        }
        item = std::strchr(item, ' ');
        if (item != nullptr) {
            ++item;
        }
    }

    inputPointers.Resize(maxInputs * static_cast<int32_t>(sizeof(double*)));
    outputPointers.Resize(maxOutputs * static_cast<int32_t>(sizeof(double*)));
    const int inputSlots = inputPointers.Size() / static_cast<int>(sizeof(double*));
    const int outputSlots = outputPointers.Size() / static_cast<int>(sizeof(double*));
    for (int i = 0; i < inputSlots; ++i) {
        auto* line = new InputLine;
        line->target = inputPointers.As<double*>() + i;
        *line->target = nullptr;
        if (!inputLines.Append(line)) {
            delete line;
        }
    }
    for (int i = 0; i < outputSlots; ++i) {
        auto* line = new OutputLine;
        line->target = outputPointers.As<double*>() + i;
        *line->target = nullptr;
        if (!outputLines.Append(line)) {
            delete line;
        }
    }
}

IEffectBase::~IEffectBase()
{
    delete editor;
    editor = nullptr;
    params.DeleteAll();
    presets.DeleteAll();
    inputLines.DeleteAll();
    outputLines.DeleteAll();
    ioLayouts.DeleteAll();
    inputBusNames.DeleteAll();
    outputBusNames.DeleteAll();
    paramGroups.Clear();
    delete latencyDelay;
}

// Default virtual operations.

void IEffectBase::OnReset()
{
    InstanceLock lock(mutex);
}

void IEffectBase::ReservedHook2()
{
    InstanceLock lock(mutex);
}

void IEffectBase::ParameterChanged(int)
{
    InstanceLock lock(mutex);
}

void IEffectBase::ParameterChangedLocked(int index)
{
    InstanceLock lock(mutex);
    ParameterChanged(index);
}

void IEffectBase::ProcessBlock(double** inputs, double** outputs, int frames)
{
    PassThrough(inputs, outputs, frames);
}

void IEffectBase::EditorOpened() {}
void IEffectBase::EditorClosed() {}
void IEffectBase::EditorTick() {}
void IEffectBase::ReservedHook8() {}
void IEffectBase::ReservedHook9() {}

void IEffectBase::ActivationChanged(bool)
{
    InstanceLock lock(mutex);
}

void IEffectBase::ReceiveMidi(const MidiMessage*) {}
void IEffectBase::ReservedHook12() {}

bool IEffectBase::ReservedLookup(int, char* text)
{
    if (text != nullptr) {
        text[0] = '\0';
    }
    return false;
}

bool IEffectBase::SaveState(StateChunk* chunk)
{
    return WriteParams(chunk);
}

int IEffectBase::LoadState(const StateChunk* chunk, int position)
{
    return ReadParams(chunk, position);
}

intptr_t IEffectBase::EditorWindowMessage(uintptr_t, intptr_t, unsigned)
{
    return 0;
}

void IEffectBase::ReservedHook17(int)
{
    InstanceLock lock(mutex);
}

void IEffectBase::PointerOverParam(int)
{
    InstanceLock lock(mutex);
}

void IEffectBase::ReservedHook19(int)
{
    InstanceLock lock(mutex);
}

bool IEffectBase::AcceptsRestoredValue(int, int)
{
    InstanceLock lock(mutex);
    return true;
}

void IEffectBase::ViewSizeChanged(int, int, int, int) {}

int IEffectBase::GetApiKind()
{
    return apiKind;
}

void IEffectBase::NotifyWheelEditBegin(int) {}
void IEffectBase::HostIdentified() {}
void IEffectBase::ShowHostContextMenu(int, int, int) {}
void IEffectBase::ReservedHook29() {}

int IEffectBase::GetHostKind()
{
    return host;
}

void IEffectBase::ReservedHook35() {}
void IEffectBase::ReservedHook36() {}

void IEffectBase::AttachEditor(IEditorLink* newEditor)
{
    if (newEditor == nullptr) {
        return;
    }
    InstanceLock lock(mutex);
    for (int i = 0; i < params.Length(); ++i) {
        newEditor->PushParamToControls(i, params.Get(i)->CurrentNormalised(), true);
    }
    newEditor->CreateSurface();
    delete editor;
    editor = newEditor;
}

void IEffectBase::ChangeBlockSize(int frames)
{
    if (frames == blockSize) {
        return;
    }
    const int32_t bytes = std::max(frames, 0) * static_cast<int32_t>(sizeof(double));
    int32_t smallest = bytes; // what every line really got
    auto resizeScratch = [bytes, &smallest](GrowBuffer& scratch) {
        scratch.Resize(bytes, true);
        smallest = std::min(smallest, scratch.Size());
        if (scratch.Size() > 0) {
            std::memset(scratch.Data(), 0, static_cast<size_t>(scratch.Size()));
        }
    };
    for (int i = 0; i < inputLines.Length(); ++i) {
        resizeScratch(inputLines.Get(i)->scratch);
    }
    for (int i = 0; i < outputLines.Length(); ++i) {
        resizeScratch(outputLines.Get(i)->scratch);
    }
    // Where memory ran out, the block size is what every scratch can hold, so
    // that no block is rendered past a buffer.
    blockSize = smallest / static_cast<int32_t>(sizeof(double));
    // A line that works on its scratch must see the new block.
    for (int i = 0; i < inputLines.Length(); ++i) {
        InputLine* line = inputLines.Get(i);
        if (!line->connected) {
            *line->target = line->scratch.As<double>();
        }
    }
    for (int i = 0; i < outputLines.Length(); ++i) {
        OutputLine* line = outputLines.Get(i);
        if (!line->connected) {
            *line->target = line->scratch.As<double>();
        }
    }
}

void IEffectBase::ChangeLatency(int samples)
{
    latency = samples;
}

bool IEffectBase::SendMidiList(const MidiMessage* messages, int count)
{
    bool allSent = true;
    for (int i = 0; i < count; ++i) {
        if (!SendMidi(messages + i)) {
            allSent = false;
        }
    }
    return allSent;
}

bool IEffectBase::SendSysEx(const uint8_t*, int)
{
    return false;
}

// The parameter record and the preset bank.

bool IEffectBase::WriteParams(StateChunk* chunk)
{
    InstanceLock lock(mutex);
    bool written = true;
    for (int i = 0; i < params.Length() && written; ++i) {
        written = chunk->PutDouble(params.Get(i)->Value());
    }
    return written;
}

int IEffectBase::ReadParams(const StateChunk* chunk, int position)
{
    InstanceLock lock(mutex);
    int p = position;
    for (int i = 0; i < params.Length() && p >= 0; ++i) {
        double stored = 0.0;
        p = chunk->GetDouble(&stored, p);
        // A parameter the record holds no complete value for keeps its value.
        if (p < 0) {
            break;
        }
        if (AcceptsRestoredValue(i, currentPreset)) {
            IParamRecord* param = params.Get(i);
            param->SetPlain(param->Limited(stored));
            ParameterChanged(i);
        }
    }
    return p;
}

bool IEffectBase::WritePresetBank(StateChunk* chunk)
{
    bool written = true;
    for (int i = 0; i < presets.Length() && written; ++i) {
        const PresetSlot* slot = presets.Get(i);
        chunk->PutString(slot->name);
        chunk->PutByte(slot->filled ? 1 : 0);
        if (slot->filled) {
            written = chunk->PutChunk(slot->record);
        }
    }
    return written;
}

int IEffectBase::ReadPresetBank(const StateChunk* chunk, int position)
{
    int p = position;
    TextBuffer name; // not cleared between slots: an empty stored name repeats the previous one
    for (int i = 0; i < presets.Length() && p >= 0; ++i) {
        PresetSlot* slot = presets.Get(i);
        p = chunk->GetString(&name, p);
        CopyFixedText(slot->name, sizeof slot->name, name.Get());
        uint8_t filledByte = 0;
        const int afterFlag = chunk->GetByte(&filledByte, p);
        if (afterFlag < 0) {
            p = -1;
        } else {
            slot->filled = filledByte != 0;
            p = afterFlag;
        }
        if (slot->filled) {
            p = ReadParams(chunk, p);
            if (p > 0) {
                slot->record.Clear();
                WriteParams(&slot->record);
            }
        }
    }
    LoadPreset(currentPreset);
    return p;
}

// Identity.

void IEffectBase::SetHostFromName(const char* name, int version)
{
    host = LookupHostKind(name);
    hostVersion = version;
}

void IEffectBase::VersionText(char* text, size_t capacity) const
{
    if (text != nullptr && capacity > 0) {
        std::snprintf(text, capacity, "v%d.%02d", versionCode >> 16, (versionCode >> 8) & 0xFF);
    }
}

double IEffectBase::SamplesPerBeat()
{
    const double tempoBpm = GetTempo();
    return tempoBpm > 0.0 ? sampleRate * kSecondsPerMinute / tempoBpm : 0.0;
}

// Channel lines.

bool IEffectBase::IoLayoutSupported(int inputs, int outputs) const
{
    for (int i = 0; i < ioLayouts.Length(); ++i) {
        const IoLayout* layout = ioLayouts.Get(i);
        if ((inputs < 0 || layout->inputs == inputs) &&
            (outputs < 0 || layout->outputs == outputs)) {
            return true;
        }
    }
    return false;
}

void IEffectBase::SetInputsConnected(int start, int count, bool connected)
{
    const int end = std::min(start + count, inputLines.Length());
    for (int i = std::max(start, 0); i < end; ++i) {
        InputLine* line = inputLines.Get(i);
        line->connected = connected;
        if (!connected) {
            *line->target = line->scratch.As<double>();
        }
    }
}

void IEffectBase::SetOutputsConnected(int start, int count, bool connected)
{
    const int end = std::min(start + count, outputLines.Length());
    for (int i = std::max(start, 0); i < end; ++i) {
        OutputLine* line = outputLines.Get(i);
        line->connected = connected;
        if (!connected) {
            *line->target = line->scratch.As<double>();
            line->floatTarget = nullptr;
        }
    }
}

void IEffectBase::BindInputs(int start, int count, double** buffers)
{
    const int end = std::min(start + count, inputLines.Length());
    int next = 0;
    for (int i = std::max(start, 0); i < end; ++i) {
        InputLine* line = inputLines.Get(i);
        if (line->connected) {
            *line->target = buffers[next++];
        }
    }
}

void IEffectBase::BindInputsFloat(int start, int count, float** buffers, int frames)
{
    const int end = std::min(start + count, inputLines.Length());
    const int n = std::min(frames, blockSize);
    int next = 0;
    for (int i = std::max(start, 0); i < end; ++i) {
        InputLine* line = inputLines.Get(i);
        if (!line->connected) {
            continue;
        }
        const float* source = buffers[next++];
        double* widened = line->scratch.As<double>();
        for (int s = 0; s < n; ++s) {
            widened[s] = source[s];
        }
        *line->target = widened;
    }
}

void IEffectBase::BindOutputs(int start, int count, double** buffers)
{
    const int end = std::min(start + count, outputLines.Length());
    int next = 0;
    for (int i = std::max(start, 0); i < end; ++i) {
        OutputLine* line = outputLines.Get(i);
        if (line->connected) {
            *line->target = buffers[next++];
            line->floatTarget = nullptr;
        }
    }
}

void IEffectBase::BindOutputsFloat(int start, int count, float** buffers)
{
    const int end = std::min(start + count, outputLines.Length());
    int next = 0;
    for (int i = std::max(start, 0); i < end; ++i) {
        OutputLine* line = outputLines.Get(i);
        if (line->connected) {
            *line->target = line->scratch.As<double>();
            line->floatTarget = buffers[next++];
        }
    }
}

void IEffectBase::PassThrough(double** inputs, double** outputs, int frames)
{
    const int copied = std::min(inputLines.Length(), outputLines.Length());
    for (int c = 0; c < outputLines.Length(); ++c) {
        double* out = outputs[c];
        if (out == nullptr) {
            continue;
        }
        const double* in = c < copied ? inputs[c] : nullptr;
        if (in == out) {
            continue;
        }
        if (in != nullptr) {
            std::memmove(out, in, sizeof(double) * static_cast<size_t>(std::max(frames, 0)));
        } else {
            std::fill(out, out + std::max(frames, 0), 0.0);
        }
    }
}

void IEffectBase::NarrowToFloatOutputs(int frames)
{
    for (int i = 0; i < outputLines.Length(); ++i) {
        OutputLine* line = outputLines.Get(i);
        const double* source = *line->target;
        if (!line->connected || line->floatTarget == nullptr || source == nullptr) {
            continue;
        }
        for (int s = 0; s < frames; ++s) {
            line->floatTarget[s] = static_cast<float>(source[s]);
        }
    }
}

void IEffectBase::RunProcess(int frames)
{
    if (processingEnabled) {
        ProcessBlock(inputPointers.As<double*>(), outputPointers.As<double*>(), frames);
    }
}

void IEffectBase::RunProcessFloat(int frames)
{
    RunProcess(frames);
    NarrowToFloatOutputs(frames);
}

void IEffectBase::RunBypass(int frames)
{
    PassThrough(inputPointers.As<double*>(), outputPointers.As<double*>(), frames);
}

void IEffectBase::RunBypassFloat(int frames)
{
    RunBypass(frames);
    NarrowToFloatOutputs(frames);
}

void IEffectBase::ClearScratch()
{
    auto clear = [](GrowBuffer& scratch) {
        if (scratch.Size() > 0) {
            std::memset(scratch.Data(), 0, static_cast<size_t>(scratch.Size()));
        }
    };
    for (int i = 0; i < inputLines.Length(); ++i) {
        clear(inputLines.Get(i)->scratch);
    }
    for (int i = 0; i < outputLines.Length(); ++i) {
        clear(outputLines.Get(i)->scratch);
    }
}

namespace {

void StoreBusName(PointerArray<TextBuffer>& names, int index, const char* text)
{
    if (index < 0) {
        return;
    }
    names.DeleteAt(index);
    auto* name = new TextBuffer(text);
    if (!names.Insert(index, name)) {
        delete name;
    }
}

} // namespace

void IEffectBase::SetInputBusName(int index, const char* text)
{
    if (index == 0 || index == 1) {
        StoreBusName(inputBusNames, index, text);
    }
}

void IEffectBase::SetOutputBusName(int index, const char* text)
{
    StoreBusName(outputBusNames, index, text);
}

const char* IEffectBase::InputBusName(int index) const
{
    const TextBuffer* name = inputBusNames.Get(index);
    return name != nullptr ? name->Get() : "";
}

const char* IEffectBase::OutputBusName(int index) const
{
    const TextBuffer* name = outputBusNames.Get(index);
    return name != nullptr ? name->Get() : "";
}

// Edits from the editor.

void IEffectBase::SetParamFromEditor(int index, double normalised)
{
    InstanceLock lock(mutex);
    IParamRecord* param = params.Get(index);
    if (param == nullptr) {
        return;
    }
    param->SetFromNormalised(normalised);
    NotifyEditValue(index, normalised);
    ParameterChanged(index);
}

void IEffectBase::DeferEditEnd(int index)
{
    InstanceLock lock(mutex);
    if (editor != nullptr) {
        pendingEditEnd = index;
        editor->StartGestureTimer(std::max(editor->FrameRate() / 2, 1));
    } else {
        NotifyEditEnd(index);
    }
}

void IEffectBase::FlushDeferredEditEnd()
{
    InstanceLock lock(mutex);
    if (editor != nullptr) {
        editor->StopGestureTimer();
    }
    if (pendingEditEnd >= 0) {
        const int index = pendingEditEnd;
        pendingEditEnd = -1;
        NotifyEditEnd(index);
    }
}

void IEffectBase::RefreshParamControls()
{
    if (editor == nullptr) {
        return;
    }
    for (int i = 0; i < params.Length(); ++i) {
        editor->PushParamToControls(i, params.Get(i)->Value(), false);
    }
}

// Preset slots.

void IEffectBase::CreateDefaultPresets(const char* name, int count)
{
    for (int made = 0; made < count; ++made) {
        PresetSlot* slot = nullptr;
        for (int i = 0; i < presets.Length() && slot == nullptr; ++i) {
            if (!presets.Get(i)->filled) {
                slot = presets.Get(i);
            }
        }
        if (slot == nullptr) {
            return;
        }
        slot->filled = true;
        CopyFixedText(slot->name, sizeof slot->name, name != nullptr ? name : kDefaultPresetName);
        // Selecting a default slot restores the declared defaults.
        slot->record.Clear();
        for (int i = 0; i < params.Length(); ++i) {
            slot->record.PutDouble(params.Get(i)->DefaultValue());
        }
    }
}

bool IEffectBase::CreatePreset(const char* name, std::initializer_list<double> values)
{
    if (static_cast<int>(values.size()) != params.Length()) {
        return false;
    }
    for (int i = 0; i < presets.Length(); ++i) {
        PresetSlot* slot = presets.Get(i);
        if (slot->filled) {
            continue;
        }
        slot->filled = true;
        CopyFixedText(slot->name, sizeof slot->name, name);
        slot->record.Clear();
        bool written = true;
        for (double value : values) {
            written = written && slot->record.PutDouble(value);
        }
        return written;
    }
    return false;
}

bool IEffectBase::LoadPreset(int index)
{
    PresetSlot* slot = presets.Get(index);
    if (slot == nullptr) {
        return false;
    }
    if (slot->filled) {
        currentPreset = index;
        if (ReadParams(&slot->record, 0) <= 0) {
            return false;
        }
    } else {
        slot->filled = true;
        NextUserPresetName(slot->name, sizeof slot->name);
    }
    currentPreset = index;
    RefreshParamControls();
    return true;
}

void IEffectBase::NextUserPresetName(char* text, size_t capacity) const
{
    int count = 0;
    for (int i = 0; i < presets.Length(); ++i) {
        if (std::strstr(presets.Get(i)->name, kUserPresetStem) != nullptr) {
            ++count;
        }
    }
    std::snprintf(text, capacity, "%s %d", kUserPresetStem, count + 1);
}

const char* IEffectBase::PresetName(int index) const
{
    const PresetSlot* slot = presets.Get(index);
    return slot != nullptr ? slot->name : "";
}

void IEffectBase::CreateLatencyDelay()
{
    if (latencyDelay != nullptr || inputLines.Length() < 1) {
        return;
    }
    latencyDelay = new LatencyDelay;
    latencyDelay->inputs = inputLines.Length();
    latencyDelay->outputs = outputLines.Length();
    latencyDelay->latency = latency;
    const int32_t bytes =
        inputLines.Length() * std::max(latency, 0) * static_cast<int32_t>(sizeof(double));
    if (latencyDelay->samples.Resize(bytes) != nullptr) {
        std::memset(latencyDelay->samples.Data(), 0, static_cast<size_t>(bytes));
    }
}

} // namespace toneloom
