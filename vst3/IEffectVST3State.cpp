// Component and controller state: the parameter record the host saves with
// its project.
#include "IEffectVST3.h"

#include "HostCallScope.h"
#include "HostKind.h"

#include "pluginterfaces/base/ibstream.h"

#include <algorithm>

namespace toneloom {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// The most bytes setState reads from a host stream; a parameter record is
// 8 bytes per parameter, so this only stops a stream that never ends.
constexpr int32_t kMaxStateBytes = 1 << 20;
constexpr int32 kStateReadPieceBytes = 128;
constexpr int kTrailerBytes = 4;

} // namespace

tresult IEffectVST3::LoadComponentState(IBStream* state)
{
    HostCallScope hostCall;
    if (state == nullptr) {
        return kInvalidArgument;
    }
    // The host's stream is read before the instance mutex is taken: a slow
    // or large stream must not hold up the process call, which waits on it.
    int64 start = 0;
    if (state->tell(&start) != kResultOk || start < 0) {
        start = 0;
    }
    StateChunk chunk;
    const bool toleratesReadErrors = GetHostKind() == kHostWaveLab;
    uint8_t piece[kStateReadPieceBytes];
    while (chunk.Size() < kMaxStateBytes) {
        int32 read = 0;
        const tresult result = state->read(piece, kStateReadPieceBytes, &read);
        if (read <= 0) {
            break;
        }
        read = std::min(read, kStateReadPieceBytes);
        // Some hosts report an error on a read that did deliver bytes.
        if (result != kResultOk && !toleratesReadErrors) {
            break;
        }
        if (!chunk.PutBytes(piece, read)) {
            break;
        }
    }
    int position = -1;
    bool changed = false;
    {
        InstanceLock lock(Mutex());
        KeepValuesBeforeLoad();
        position = LoadState(&chunk, 0);
        changed = MarkValuesChangedByLoad();
        RefreshParamControls();
    }
    // Held back until the host's call has returned.
    if (changed) {
        RestartHostComponent(kParamValuesChanged);
    }
    if (position < 0) {
        return kResultFalse;
    }
    // Leave the stream after the record and read the optional 4-byte trailer
    // (its value is not used). Whether it is there does not matter: the
    // record was applied.
    int32 trailer = 0;
    int32 trailerRead = 0;
    if (state->seek(start + position, IBStream::kIBSeekSet, nullptr) == kResultOk) {
        state->read(&trailer, kTrailerBytes, &trailerRead);
    }
    return kResultOk;
}

tresult IEffectVST3::SaveComponentState(IBStream* state)
{
    HostCallScope hostCall;
    if (state == nullptr) {
        return kInvalidArgument;
    }
    // Only the record is made under the mutex; the host's stream is written
    // after it is released.
    StateChunk chunk;
    bool saved = false;
    int32 bypassFlag = 0;
    {
        InstanceLock lock(Mutex());
        saved = SaveState(&chunk);
        bypassFlag = Bypassed() ? 1 : 0;
    }
    if (saved) {
        int32 written = 0;
        const tresult result =
            state->write(const_cast<uint8_t*>(chunk.Data()), chunk.Size(), &written);
        return result == kResultOk && written == chunk.Size() ? kResultOk : kResultFalse;
    }
    int32 written = 0;
    state->write(&bypassFlag, sizeof bypassFlag, &written);
    return kResultFalse;
}

tresult PLUGIN_API IEffectVST3::setComponentState(IBStream* state)
{
    // One object is both component and controller: the state the host hands
    // over is the one setState may already have applied, and applying it
    // again changes nothing.
    return LoadComponentState(state);
}

tresult IEffectVST3::LoadControllerState(IBStream*)
{
    HostCallScope hostCall;
    InstanceLock lock(Mutex());
    return kResultOk;
}

tresult IEffectVST3::SaveControllerState(IBStream*)
{
    HostCallScope hostCall;
    InstanceLock lock(Mutex());
    return kResultOk;
}

} // namespace toneloom
