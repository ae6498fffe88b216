// A recording plug-in base, a probe control and a headless editor with
// synthetic pictures, for the editor core tests.
#pragma once

#include "IControl.h"
#include "IEffectBase.h"
#include "IGraphicsHeadless.h"
#include "PX_MemBitmap.h"
#include "PX_SysBitmap.h"

#include <string>
#include <vector>

namespace toneloom::testing {

enum ProbeParam : int
{
    kProbeLevel = 0, // double 0..10
    kProbeShape = 1, // enum of 7 texts
    kProbeCount = 2, // int 0..100
    kProbeParamCount = 3
};

// Records the edit notifications the editor sends, as "begin 0", "value 0
// 0.500000", "end 0".
class RecordingEffect : public IEffectBase
{
public:
    RecordingEffect()
        : IEffectBase(kProbeParamCount, "2-2", 2, "Probe", "", "Maker", 0x10000, 'prob', 'Mkr_', 0,
                      false, false, 1)
    {
        ParamAt(kProbeLevel)->DeclareDouble("Level", 5.0, 0.0, 10.0, 0.01, "dB");
        ParamAt(kProbeShape)->DeclareEnum("Shape", 0, 7, "");
        const char* shapes[] = {"Sine", "Tri", "Saw", "Square", "Pulse", "Noise", "Step"};
        for (int i = 0; i < 7; ++i) {
            ParamAt(kProbeShape)->AddValueText(i, shapes[i]);
        }
        ParamAt(kProbeCount)->DeclareInt("Count", 50, 0, 100, "");
    }

    void NotifyEditBegin(int index) override { events.push_back("begin " + std::to_string(index)); }
    void NotifyEditValue(int index, double normalised) override
    {
        events.push_back("value " + std::to_string(index) + " " + std::to_string(normalised));
    }
    void NotifyEditEnd(int index) override { events.push_back("end " + std::to_string(index)); }
    int64_t GetSamplePosition() override { return 0; }
    double GetTempo() override { return 120.0; }
    void GetTimeSignature(int* numerator, int* denominator) override
    {
        *numerator = 4;
        *denominator = 4;
    }
    void ResizeEditor(int width, int height) override
    {
        events.push_back("resize " + std::to_string(width) + "x" + std::to_string(height));
    }
    bool SendMidi(const MidiMessage*) override { return false; }
    int HostTransportState() override { return kTransportPlaying; }
    void HostTimeInfo(ITimeInfo* info) override { *info = ITimeInfo{}; }
    bool IsRenderingOffline() override { return false; }

    // The events since the last call, then forgotten.
    std::vector<std::string> Take()
    {
        std::vector<std::string> taken;
        taken.swap(events);
        return taken;
    }

    std::vector<std::string> events;
};

// A control that records what the dispatch delivers and paints its box in
// one colour.
class ProbeControl : public IControl
{
public:
    ProbeControl(IEffectBase* plug, const IBox& box, int paramIndex = -1,
                 IRgba colour = IRgba(255, 200, 40, 40))
        : IControl(plug, box, paramIndex), fill(colour)
    {
    }

    void HandlePress(int x, int y, const IMouseKeys& keys) override
    {
        calls.push_back("press " + std::to_string(x) + "," + std::to_string(y));
        if (forwardPress) {
            IControl::HandlePress(x, y, keys);
        }
    }
    void HandleRelease(int x, int y, const IMouseKeys&) override
    {
        calls.push_back("release " + std::to_string(x) + "," + std::to_string(y));
    }
    void HandleDrag(int, int, int dx, int dy, const IMouseKeys&) override
    {
        calls.push_back("drag " + std::to_string(dx) + "," + std::to_string(dy));
        StoreValue(Value() + dy * 0.01);
        MarkDirty(true);
    }
    void HandleDoubleClick(int x, int y, const IMouseKeys& keys) override
    {
        calls.push_back("double");
        IControl::HandleDoubleClick(x, y, keys);
    }
    void HandleWheel(int x, int y, const IMouseKeys& keys, int steps) override
    {
        calls.push_back("wheel " + std::to_string(steps));
        IControl::HandleWheel(x, y, keys, steps);
    }
    void HandleKey(int, int, int keyCode) override
    {
        calls.push_back("key " + std::to_string(keyCode));
    }
    void HandleHover(int, int, const IMouseKeys&) override { calls.push_back("hover"); }
    void HandleHoverEnd() override { calls.push_back("hover end"); }
    void PopupClosed(const char* text, int index) override
    {
        calls.push_back("popup closed '" + std::string(text) + "' " + std::to_string(index));
    }
    bool Render(IGraphics& graphics) override
    {
        ++renders;
        graphics.FillBox(fill, box);
        return true;
    }

    std::vector<std::string> Take()
    {
        std::vector<std::string> taken;
        taken.swap(calls);
        return taken;
    }

    IRgba fill;
    bool forwardPress = true; // the default press behaviour runs too
    int renders = 0;
    std::vector<std::string> calls;
};

// Synthetic picture ids, unique within the test program (the image cache is
// module-wide): kStripePicture has `kStripeFrames` frames of 10 x 10 pixels
// stacked vertically, frame n filled with grey level 40 n; kMissingPicture
// never decodes.
constexpr int kStripePicture = 9001;
constexpr int kStripeFrames = 3;
constexpr int kMissingPicture = 9002;
constexpr int kPlainPicture = 9003; // 20 x 10, opaque blue

inline PX_Pixel Grey(int level)
{
    return PX_MakePixel(255, level, level, level);
}

class TestGraphics : public IGraphicsHeadless
{
public:
    TestGraphics(IEffectBase* plug, int width = 100, int height = 80, int frameRate = 0)
        : IGraphicsHeadless(plug, width, height, frameRate)
    {
    }

    PX_IBitmap* LoadImageResource(int resourceId, const char* name) override
    {
        ++loads;
        if (resourceId == kStripePicture) {
            auto* bitmap = new PX_MemBitmap(10, 10 * kStripeFrames, 4);
            for (int y = 0; y < bitmap->Height(); ++y) {
                for (int x = 0; x < bitmap->Width(); ++x) {
                    bitmap->Row(y)[x] = Grey(40 * (y / 10 + 1));
                }
            }
            return bitmap;
        }
        if (resourceId == kPlainPicture) {
            auto* bitmap = new PX_MemBitmap(20, 10, 4);
            for (int y = 0; y < bitmap->Height(); ++y) {
                for (int x = 0; x < bitmap->Width(); ++x) {
                    bitmap->Row(y)[x] = PX_MakePixel(255, 0, 0, 255);
                }
            }
            return bitmap;
        }
        if (resourceId == kMissingPicture) {
            return nullptr;
        }
        return IGraphicsHeadless::LoadImageResource(resourceId, name);
    }

    PX_Pixel SurfacePixel(int x, int y) const
    {
        return static_cast<const PX_IBitmap*>(Surface())->Row(y)[x];
    }
    PX_Pixel ScreenPixel(int x, int y) const { return Screen().Row(y)[x]; }

    int loads = 0;
};

} // namespace toneloom::testing
