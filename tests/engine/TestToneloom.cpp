#include "TestToneloom.h"

#include <algorithm>
#include <cmath>

namespace toneloom::testing {

Rig::Rig(double sampleRateHz, int maxBlockFrames)
    : sampleRate(sampleRateHz), maxBlock(maxBlockFrames),
      silence(static_cast<size_t>(maxBlockFrames), 0.0)
{
    fx.SetMillisecondClock(&clock);
    for (int i = 0; i < kNumParams; ++i) {
        fx.ParameterChanged(i);
    }
    fx.UseSampleRate(sampleRateHz);
    fx.ChangeBlockSize(maxBlockFrames);
    fx.SetInputsConnected(0, 2, true);
    fx.SetOutputsConnected(0, 2, true);
    fx.OnReset();
}

void Rig::Set(int index, double plain)
{
    IEffectBase::InstanceLock lock(fx.Mutex());
    IParamRecord* param = fx.ParamAt(index);
    param->SetPlain(param->Limited(plain));
    fx.ParameterChanged(index);
}

Stereo Rig::Render(int frames, int blockFrames, const Stereo* input)
{
    Stereo out;
    out.left.assign(static_cast<size_t>(frames), 0.0);
    out.right.assign(static_cast<size_t>(frames), 0.0);
    const int block = std::clamp(blockFrames, 1, maxBlock);
    for (int done = 0; done < frames;) {
        const int n = std::min(block, frames - done);
        lastBlockStartMs = clock.nowMs;
        RenderPiece(out, done, n, input);
        if (fx.transport != kTransportStopped) {
            fx.positionSamples += n;
        }
        AdvanceClock(n);
        done += n;
    }
    return out;
}

Stereo Rig::RenderHostBlock(int frames, int pieceFrames)
{
    Stereo out;
    out.left.assign(static_cast<size_t>(frames), 0.0);
    out.right.assign(static_cast<size_t>(frames), 0.0);
    lastBlockStartMs = clock.nowMs;
    const int piece = std::clamp(pieceFrames, 1, maxBlock);
    for (int done = 0; done < frames; done += piece) {
        RenderPiece(out, done, std::min(piece, frames - done), nullptr);
    }
    if (fx.transport != kTransportStopped) {
        fx.positionSamples += frames;
    }
    AdvanceClock(frames);
    return out;
}

void Rig::RenderPiece(Stereo& out, int done, int frames, const Stereo* input)
{
    double* ins[2] = {silence.data(), silence.data()};
    if (input != nullptr) {
        ins[0] = const_cast<double*>(input->left.data()) + done;
        ins[1] = const_cast<double*>(input->right.data()) + done;
    }
    double* outs[2] = {out.left.data() + done, out.right.data() + done};
    IEffectBase::InstanceLock lock(fx.Mutex());
    fx.BindInputs(0, 2, ins);
    fx.BindOutputs(0, 2, outs);
    fx.RunProcess(frames);
}

void Rig::AdvanceClock(int frames)
{
    clockRemainderMs += frames * 1000.0 / sampleRate;
    const double wholeMs = std::floor(clockRemainderMs);
    clock.nowMs += static_cast<uint32_t>(wholeMs);
    clockRemainderMs -= wholeMs;
}

void Rig::UsePlainSine()
{
    Set(kWave, kWaveSine);
    Set(kBeats, kBeatsBinaural);
    Set(kBinauralPan, 100);
    Set(kVolume, 100);
    Set(kFade, 1);
    Set(kPlayAnyway, 1);
}

} // namespace toneloom::testing
