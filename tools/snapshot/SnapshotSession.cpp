#include "SnapshotSession.h"

#include "IEffectVST3.h"
#include "IGraphicsHeadless.h"
#include "PlatformGraphics.h"
#include "Vst3Ids.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace toneloom {

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr int kDragSteps = 8; // pointer moves a drag is delivered in

} // namespace

SnapshotSession::SnapshotSession() = default;

SnapshotSession::~SnapshotSession()
{
    // The instance (and with it the editor) goes before the factory.
    editor = nullptr;
    effectHost.Close();
    if (factory != nullptr) {
        factory->release();
    }
}

bool SnapshotSession::Open(int sampleRateHz, int newBlockFrames, std::string* error)
{
    // Editors made from here on draw into memory, never onto a display.
    SetGraphicsPlatform(GraphicsPlatform::kHeadless);
    factory = GetPluginFactory();
    if (factory == nullptr) {
        *error = "the plug-in's factory is missing";
        return false;
    }
    std::memcpy(classId, kToneloomClassIdBytes.data(), sizeof classId);
    if (!effectHost.Create(factory, classId)) {
        *error = "the plug-in did not create its effect";
        return false;
    }
    auto* effect = dynamic_cast<IEffectVST3*>(effectHost.Instance().Component());
    editor = effect != nullptr ? dynamic_cast<IGraphicsHeadless*>(effect->Editor()) : nullptr;
    if (editor == nullptr) {
        *error = "the plug-in built no editor";
        return false;
    }
    if (!effectHost.Start("toneloom-snapshot", sampleRateHz, newBlockFrames, error)) {
        return false;
    }
    // A first block: the engine now runs as in a playing host (a click on a
    // sync switch, for one, converts the LFO's speed only then).
    return ProcessBlock(effectHost.BlockFrames(), error);
}

bool SnapshotSession::ProcessBlock(int frames, std::string* error)
{
    host::ProcessDataBuilder& blocks = effectHost.Blocks();
    const tresult result = effectHost.Instance().Process(blocks.Block(frames));
    blocks.Advance(frames);
    if (result != kResultOk) {
        *error = "the plug-in refused to process";
        return false;
    }
    return true;
}

void SnapshotSession::OpenEditor(float scale)
{
    editor->SetScale(scale);
    editor->OpenWindow(nullptr);
    editor->Tick();
}

bool SnapshotSession::Perform(const MouseAction& action, std::string* error)
{
    if (action.x < 0 || action.y < 0 || action.x >= editor->Width() ||
        action.y >= editor->Height()) {
        *error = std::to_string(action.x) + "," + std::to_string(action.y) + " lies outside the " +
                 std::to_string(editor->Width()) + " x " + std::to_string(editor->Height()) +
                 " editor";
        return false;
    }
    IMouseKeys keys;
    keys.left = action.kind != MouseAction::kRightClick;
    keys.right = action.kind == MouseAction::kRightClick;
    // The window reports surface pixels: the one under the layout pixel's centre.
    const float scale = editor->Scale();
    auto onSurface = [scale](int layoutPx) {
        return static_cast<int>(std::floor((layoutPx + 0.5f) * scale));
    };
    editor->MouseHover(onSurface(action.x), onSurface(action.y), IMouseKeys());
    editor->MouseDown(onSurface(action.x), onSurface(action.y), keys);
    int x = action.x;
    int y = action.y;
    if (action.kind == MouseAction::kDrag) {
        // In even steps, as a hand would; the pointer may leave the editor.
        for (int step = 1; step <= kDragSteps; ++step) {
            x = action.x + action.dx * step / kDragSteps;
            y = action.y + action.dy * step / kDragSteps;
            editor->MouseDrag(onSurface(x), onSurface(y), keys);
        }
    }
    editor->MouseUp(onSurface(x), onSurface(y), keys);
    editor->Tick();
    return true;
}

bool SnapshotSession::Play(double seconds, double tempoBpm, std::string* error)
{
    const int sampleRate = effectHost.SampleRate(); // Hz
    const int blockFrames = effectHost.BlockFrames();
    effectHost.Blocks().SetTempo(tempoBpm);
    effectHost.Blocks().SetPlaying(true);
    const auto total = static_cast<int64_t>(std::llround(seconds * sampleRate));
    const int64_t framesPerTick =
        std::max<int64_t>(1, static_cast<int64_t>(editor->TimerPeriodMs()) * sampleRate / 1000);
    int64_t sinceTick = 0;
    for (int64_t done = 0; done < total;) {
        const int frames = static_cast<int>(std::min<int64_t>(blockFrames, total - done));
        if (!ProcessBlock(frames, error)) {
            return false;
        }
        done += frames;
        sinceTick += frames;
        if (sinceTick >= framesPerTick) {
            sinceTick -= framesPerTick;
            editor->Tick();
        }
    }
    return true;
}

const PX_IBitmap& SnapshotSession::Picture()
{
    editor->InvalidateAll();
    editor->Tick();
    return editor->Screen();
}

} // namespace toneloom
