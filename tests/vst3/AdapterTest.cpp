// The adapter in-process, on a small test effect whose output is its input
// times "Gain": what the host sees of buses, parameters, units and programs,
// how process applies changes and binds buffers, and what the adapter tells
// the host for the plug-in base.
#include "AdapterTestEffect.h"
#include "HostText.h"
#include "IEffectParameter.h"
#include "Vst3Ids.h"

#include "HostApplication.h"
#include "ProcessDataBuilder.h"
#include "RecordingComponentHandler.h"

#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace toneloom::testing {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRate = 48000.0;
constexpr int kBlock = 256;

// A test effect brought up by hand the way a host does.
class AdapterRig
{
public:
    explicit AdapterRig(const AdapterTestOptions& options = AdapterTestOptions(),
                        const char* hostName = "Adapter Test Host")
        : effect(owned(new AdapterTestEffect(options))),
          application(owned(new host::HostApplication(hostName))),
          handler(owned(new host::RecordingComponentHandler))
    {
        effect->gainAtBlockStart.reserve(256);
        effect->blockFrames.reserve(256);
    }
    ~AdapterRig()
    {
        if (started) {
            effect->setActive(false);
            effect->terminate();
        }
    }

    void Start(int32 sampleSize = kSample32, int32 processMode = kRealtime)
    {
        ASSERT_EQ(effect->initialize(application->unknownCast()), kResultOk);
        started = true;
        effect->setComponentHandler(handler);
        for (BusDirection dir :
             {static_cast<BusDirection>(kInput), static_cast<BusDirection>(kOutput)}) {
            for (int32 i = 0; i < effect->getBusCount(kAudio, dir); ++i) {
                effect->activateBus(kAudio, dir, i, true);
            }
            for (int32 i = 0; i < effect->getBusCount(kEvent, dir); ++i) {
                effect->activateBus(kEvent, dir, i, true);
            }
        }
        ProcessSetup setup{processMode, sampleSize, kBlock, kRate};
        ASSERT_EQ(effect->setupProcessing(setup), kResultOk);
        ASSERT_EQ(effect->setActive(true), kResultOk);
    }

    IPtr<AdapterTestEffect> effect;
    IPtr<host::HostApplication> application;
    IPtr<host::RecordingComponentHandler> handler;
    bool started = false;
};

std::unique_ptr<host::ProcessDataBuilder> Stereo(int32 sampleSize = kSample32,
                                                 int maxFrames = kBlock)
{
    return std::make_unique<host::ProcessDataBuilder>(std::vector<int>{2}, std::vector<int>{2},
                                                      maxFrames, sampleSize, kRate);
}

TEST(AdapterTest, RuntimeClassNamesFollowTheSdkScheme)
{
    AdapterRig rig;
    rig.Start();
    EXPECT_STREQ(rig.effect->isA(), "IEffectVST3");
    for (const char* parent :
         {"IEffectVST3", "SingleComponentEffect", "EditController", "ComponentBase", "FObject"}) {
        EXPECT_TRUE(rig.effect->isTypeOf(parent)) << parent;
    }
    EXPECT_FALSE(rig.effect->isTypeOf("Component"));
    Parameter* gain = rig.effect->getParameterObject(kTestGain);
    ASSERT_NE(gain, nullptr);
    EXPECT_STREQ(gain->isA(), "IEffectParameter");
    EXPECT_TRUE(gain->isTypeOf("Parameter"));
    EXPECT_TRUE(gain->isTypeOf("FObject"));
    FUnknownPtr<IUnitInfo> units(static_cast<IComponent*>(rig.effect.get()));
    EXPECT_TRUE(units);
    EXPECT_EQ(static_cast<IUnitInfo*>(units), static_cast<IUnitInfo*>(rig.effect.get()));
}

TEST(AdapterTest, InitialiseDeclaresParametersWithUnitsFromGroups)
{
    AdapterRig rig;
    rig.Start();
    EXPECT_EQ(rig.effect->getParameterCount(), kTestParamCount + 1);
    ParameterInfo info{};
    ASSERT_EQ(rig.effect->getParameterInfo(1, info), kResultOk);
    EXPECT_EQ(info.id, static_cast<ParamID>(kTestGain));
    EXPECT_EQ(Utf16ToUtf8(info.title), "Gain");
    EXPECT_EQ(Utf16ToUtf8(info.shortTitle), "");
    EXPECT_EQ(Utf16ToUtf8(info.units), "x");
    EXPECT_EQ(info.stepCount, 0);
    EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, 0.5);
    EXPECT_EQ(info.unitId, 1);
    ASSERT_EQ(rig.effect->getParameterInfo(2, info), kResultOk);
    EXPECT_EQ(info.stepCount, 2);
    EXPECT_EQ(info.unitId, kRootUnitId);
    ASSERT_EQ(rig.effect->getParameterInfo(3, info), kResultOk);
    EXPECT_EQ(info.stepCount, 10);
    EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, 0.5);
    // Every parameter's change handler ran once, in index order, during initialize.
    EXPECT_EQ(rig.effect->changeCounts, (std::vector<int>{1, 1, 1}));

    EXPECT_EQ(rig.effect->getUnitCount(), 2);
    UnitInfo unit{};
    ASSERT_EQ(rig.effect->getUnitInfo(1, unit), kResultOk);
    EXPECT_EQ(unit.id, 1);
    EXPECT_EQ(unit.parentUnitId, kRootUnitId);
    EXPECT_EQ(unit.programListId, kNoProgramListId);
    EXPECT_EQ(Utf16ToUtf8(unit.name), "Levels");
    EXPECT_EQ(rig.effect->getUnitInfo(2, unit), kResultFalse);
    EXPECT_EQ(rig.effect->getUnitInfo(-1, unit), kResultFalse);
}

TEST(AdapterTest, HostApplicationNameIdentifiesTheHost)
{
    AdapterRig cubase(AdapterTestOptions(), "Cubase LE AI Elements");
    cubase.Start();
    EXPECT_EQ(cubase.effect->GetHostKind(), 3);
    AdapterRig unknown(AdapterTestOptions(), "Studio One");
    unknown.Start();
    EXPECT_EQ(unknown.effect->GetHostKind(), 0);
    IPtr<AdapterTestEffect> bare = owned(new AdapterTestEffect());
    ASSERT_EQ(bare->initialize(nullptr), kResultOk);
    EXPECT_EQ(bare->GetHostKind(), -1);
    bare->terminate();
}

TEST(AdapterTest, ParameterTextsAndConversions)
{
    AdapterRig rig;
    rig.Start();
    String128 text{};
    ASSERT_EQ(rig.effect->getParamStringByValue(kTestMode, 0.5, text), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(text), "Hard");
    ASSERT_EQ(rig.effect->getParamStringByValue(kTestGain, 0.25, text), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(text), "0.50");
    ASSERT_EQ(rig.effect->getParamStringByValue(kTestSteps, 0.0, text), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(text), "0");
    ASSERT_EQ(rig.effect->getParamStringByValue(kTestGain, 3.0, text), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(text), "2.00");

    String128 typed{};
    ParamValue normalised = -1.0;
    TextToUtf16("1.5", typed, kString128Units);
    ASSERT_EQ(rig.effect->getParamValueByString(kTestGain, typed, normalised), kResultOk);
    EXPECT_DOUBLE_EQ(normalised, 0.75);
    TextToUtf16("no number", typed, kString128Units);
    EXPECT_EQ(rig.effect->getParamValueByString(kTestGain, typed, normalised), kResultFalse);
    EXPECT_DOUBLE_EQ(normalised, 0.75); // left alone

    EXPECT_DOUBLE_EQ(rig.effect->normalizedParamToPlain(kTestSteps, 0.5), 5.0);
    EXPECT_DOUBLE_EQ(rig.effect->normalizedParamToPlain(kTestGain, std::nan("")), 0.0);
    EXPECT_DOUBLE_EQ(rig.effect->plainParamToNormalized(kTestGain, 5.0), 1.0);
    EXPECT_DOUBLE_EQ(rig.effect->plainParamToNormalized(kPresetParamId, 3.0), 1.0);
    EXPECT_DOUBLE_EQ(rig.effect->normalizedParamToPlain(kPresetParamId, 1.0), 3.0);
}

TEST(AdapterTest, LastPointOfAQueueIsAppliedOnceBeforeTheBlock)
{
    AdapterRig rig;
    rig.Start();
    auto data = Stereo();
    data->FillInput(0, 0, 1.0);
    data->FillInput(0, 1, 1.0);
    ASSERT_TRUE(data->Changes().Add(kTestGain, 0, 0.25));
    ASSERT_TRUE(data->Changes().Add(kTestGain, 100, 0.75));
    ASSERT_TRUE(data->Changes().Add(kTestGain, 50, 0.1));
    ASSERT_EQ(rig.effect->process(data->Block(kBlock)), kResultOk);
    EXPECT_EQ(rig.effect->changeCounts[kTestGain], 2);
    ASSERT_EQ(rig.effect->gainAtBlockStart.size(), 1u);
    EXPECT_DOUBLE_EQ(rig.effect->gainAtBlockStart[0], 1.5);
    EXPECT_FLOAT_EQ(data->Output32(0, 0)[0], 1.5f);
    EXPECT_FLOAT_EQ(data->Output32(0, 1)[kBlock - 1], 1.5f);
    // Unknown IDs in the queues are ignored.
    data->Advance(kBlock);
    ASSERT_TRUE(data->Changes().Add(4711, 0, 0.5));
    ASSERT_EQ(rig.effect->process(data->Block(kBlock)), kResultOk);
    EXPECT_EQ(rig.effect->changeCounts, (std::vector<int>{2, 1, 1}));
}

TEST(AdapterTest, LongBlocksArriveInPiecesOfTheSetUpSize)
{
    AdapterRig rig;
    rig.Start();
    auto data = Stereo(kSample32, 600);
    ASSERT_EQ(rig.effect->process(data->Block(600)), kResultOk);
    EXPECT_EQ(rig.effect->blockFrames, (std::vector<int>{256, 256, 88}));
}

TEST(AdapterTest, ProgramChangeLoadsThePresetAndBypassSkipsTheEffect)
{
    AdapterRig rig;
    rig.Start(kSample64);
    auto data = Stereo(kSample64);
    data->FillInput(0, 0, 0.5);
    data->FillInput(0, 1, -0.5);
    ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, 1.0 / 3.0)); // slot 1, "Half"
    ASSERT_EQ(rig.effect->process(data->Block(kBlock)), kResultOk);
    EXPECT_EQ(rig.effect->CurrentPreset(), 1);
    EXPECT_DOUBLE_EQ(rig.effect->ParamAt(kTestGain)->Value(), 0.5);
    EXPECT_DOUBLE_EQ(data->Output64(0, 0)[3], 0.25);
    data->Advance(kBlock);

    ASSERT_TRUE(data->Changes().Add(kBypassParamId, 0, 0.51));
    ASSERT_EQ(rig.effect->process(data->Block(kBlock)), kResultOk);
    EXPECT_EQ(rig.effect->gainAtBlockStart.size(), 1u); // the effect did not run
    EXPECT_DOUBLE_EQ(data->Output64(0, 0)[3], 0.5);
    EXPECT_DOUBLE_EQ(data->Output64(0, 1)[3], -0.5);
    EXPECT_DOUBLE_EQ(rig.effect->getParamNormalized(kBypassParamId), 1.0);
    // A new setup clears the bypass.
    ProcessSetup setup{kRealtime, kSample64, kBlock, kRate};
    ASSERT_EQ(rig.effect->setupProcessing(setup), kResultOk);
    EXPECT_DOUBLE_EQ(rig.effect->getParamNormalized(kBypassParamId), 0.0);
}

TEST(AdapterTest, MidiNotesBecomeNoteMessages)
{
    AdapterTestOptions options;
    options.receivesMidi = true;
    AdapterRig rig(options);
    rig.Start();
    ASSERT_EQ(rig.effect->getBusCount(kEvent, kInput), 1);
    BusInfo info{};
    ASSERT_EQ(rig.effect->getBusInfo(kEvent, kInput, 0, info), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(info.name), "MIDI Input");
    EXPECT_EQ(info.channelCount, 1);

    auto data = Stereo();
    Event on{};
    on.type = Event::kNoteOnEvent;
    on.sampleOffset = 12;
    on.noteOn.channel = 3;
    on.noteOn.pitch = 60;
    on.noteOn.velocity = 0.5f;
    Event off{};
    off.type = Event::kNoteOffEvent;
    off.sampleOffset = 40;
    off.noteOff.channel = 3;
    off.noteOff.pitch = 300; // out of range: limited
    Event other{};
    other.type = Event::kDataEvent;
    ASSERT_EQ(data->Events().addEvent(on), kResultOk);
    ASSERT_EQ(data->Events().addEvent(other), kResultOk);
    ASSERT_EQ(data->Events().addEvent(off), kResultOk);
    ASSERT_EQ(rig.effect->process(data->Block(kBlock)), kResultOk);
    ASSERT_EQ(rig.effect->midi.size(), 2u);
    EXPECT_EQ(rig.effect->midi[0].status, 0x93);
    EXPECT_EQ(rig.effect->midi[0].data1, 60);
    EXPECT_EQ(rig.effect->midi[0].data2, 63);
    EXPECT_EQ(rig.effect->midi[0].offsetFrames, 12);
    EXPECT_EQ(rig.effect->midi[1].status, 0x83);
    EXPECT_EQ(rig.effect->midi[1].data1, 127);
    EXPECT_EQ(rig.effect->midi[1].data2, 0);
}

TEST(AdapterTest, SideChainBusFeedsTheLinesAfterTheMainInput)
{
    AdapterTestOptions options;
    options.ioLayout = "2-2 3-2";
    options.sideChainChannels = 1;
    AdapterRig rig(options);
    rig.Start();
    ASSERT_EQ(rig.effect->getBusCount(kAudio, kInput), 2);
    BusInfo info{};
    ASSERT_EQ(rig.effect->getBusInfo(kAudio, kInput, 1, info), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(info.name), "Aux Input");
    EXPECT_EQ(info.busType, kAux);
    EXPECT_EQ(info.channelCount, 1);
    EXPECT_EQ(info.flags, 0u);

    SpeakerArrangement inputs[2] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
    SpeakerArrangement output = SpeakerArr::kStereo;
    EXPECT_EQ(rig.effect->setBusArrangements(inputs, 1, &output, 1), kResultFalse);
    ASSERT_EQ(rig.effect->setBusArrangements(inputs, 2, &output, 1), kResultOk);
    ASSERT_EQ(rig.effect->getBusInfo(kAudio, kInput, 1, info), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(info.name), "Sidechain Input");
    EXPECT_EQ(info.channelCount, 2);
    inputs[1] = SpeakerArr::kMono;
    ASSERT_EQ(rig.effect->setBusArrangements(inputs, 2, &output, 1), kResultOk);

    host::ProcessDataBuilder data({2, 1}, {2}, kBlock, kSample32, kRate);
    data.FillInput(0, 0, 0.5);
    data.FillInput(0, 1, 0.5);
    data.FillInput(1, 0, 0.25);
    ASSERT_EQ(rig.effect->process(data.Block(kBlock)), kResultOk);
    EXPECT_FLOAT_EQ(data.Output32(0, 0)[7], 0.75f); // main plus side chain
    EXPECT_FLOAT_EQ(data.Output32(0, 1)[7], 0.5f);
    // Once the auxiliary bus goes inactive its line reads silence.
    ASSERT_EQ(rig.effect->activateBus(kAudio, kInput, 1, false), kResultTrue);
    ASSERT_EQ(rig.effect->process(data.Block(kBlock)), kResultOk);
    EXPECT_FLOAT_EQ(data.Output32(0, 0)[7], 0.5f);
}

TEST(AdapterTest, StereoOutputBusesEachTakeAPairOfLines)
{
    AdapterTestOptions options;
    options.ioLayout = "4-4";
    options.stereoOutputBuses = true;
    AdapterRig rig(options);
    rig.Start();
    ASSERT_EQ(rig.effect->getBusCount(kAudio, kOutput), 2);
    BusInfo info{};
    ASSERT_EQ(rig.effect->getBusInfo(kAudio, kOutput, 1, info), kResultOk);
    EXPECT_EQ(Utf16ToUtf8(info.name), "Output 2");
    EXPECT_EQ(info.channelCount, 2);
    ASSERT_EQ(rig.effect->getBusInfo(kAudio, kInput, 0, info), kResultOk);
    EXPECT_EQ(info.channelCount, 4);

    host::ProcessDataBuilder data({4}, {2, 2}, kBlock, kSample32, kRate);
    for (int c = 0; c < 4; ++c) {
        data.FillInput(0, c, 0.1 * (c + 1));
    }
    ASSERT_EQ(rig.effect->process(data.Block(kBlock)), kResultOk);
    EXPECT_FLOAT_EQ(data.Output32(0, 0)[5], 0.1f);
    EXPECT_FLOAT_EQ(data.Output32(0, 1)[5], 0.2f);
    EXPECT_FLOAT_EQ(data.Output32(1, 0)[5], 0.3f);
    EXPECT_FLOAT_EQ(data.Output32(1, 1)[5], 0.4f);
    // An inactive bus is left alone; the other still renders.
    ASSERT_EQ(rig.effect->activateBus(kAudio, kOutput, 0, false), kResultTrue);
    data.FillOutputs(9.0);
    ASSERT_EQ(rig.effect->process(data.Block(kBlock)), kResultOk);
    EXPECT_FLOAT_EQ(data.Output32(0, 0)[5], 9.0f);
    EXPECT_FLOAT_EQ(data.Output32(1, 1)[5], 0.4f);
}

TEST(AdapterTest, ProcessContextReachesThePluginBase)
{
    AdapterRig rig;
    rig.Start();
    auto data = Stereo();
    data->SetTempo(140.0);
    data->SetTimeSignature(3, 4);
    data->SetPlaying(true);
    data->SetProjectTimeSamples((int64_t{1} << 32) + 48000);
    data->Context().cycleStartMusic = 4.0;
    data->Context().cycleEndMusic = 8.0;
    data->Context().state |= ProcessContext::kCycleActive;
    ASSERT_EQ(rig.effect->process(data->Block(kBlock)), kResultOk);
    EXPECT_DOUBLE_EQ(rig.effect->GetTempo(), 140.0);
    int numerator = 0;
    int denominator = 0;
    rig.effect->GetTimeSignature(&numerator, &denominator);
    EXPECT_EQ(numerator, 3);
    EXPECT_EQ(denominator, 4);
    EXPECT_EQ(rig.effect->HostTransportState(), kTransportPlaying);
    EXPECT_EQ(rig.effect->GetSamplePosition(), (int64_t{1} << 32) + 48000); // all 64 bits
    ITimeInfo info;
    rig.effect->HostTimeInfo(&info);
    EXPECT_DOUBLE_EQ(info.tempoBpm, 140.0);
    EXPECT_DOUBLE_EQ(info.cycleStartQuarters, 4.0);
    EXPECT_DOUBLE_EQ(info.cycleEndQuarters, 8.0);
    EXPECT_TRUE(info.playing);
    EXPECT_TRUE(info.cycleActive);

    data->SetPlaying(false);
    data->Context().state |= ProcessContext::kRecording;
    ASSERT_EQ(rig.effect->process(data->Block(kBlock)), kResultOk);
    EXPECT_EQ(rig.effect->HostTransportState(), kTransportRecording);
    data->Context().state = 0;
    ASSERT_EQ(rig.effect->process(data->Block(kBlock)), kResultOk);
    EXPECT_EQ(rig.effect->HostTransportState(), kTransportStopped);
    EXPECT_FALSE(rig.effect->IsRenderingOffline());
    // Hosts switch to prefetching and back in the process call itself.
    data->Block(kBlock).processMode = kPrefetch;
    ASSERT_EQ(rig.effect->process(data->Block(kBlock)), kResultOk);
    EXPECT_TRUE(rig.effect->IsRenderingOffline());
    data->Block(kBlock).processMode = kRealtime;
    ASSERT_EQ(rig.effect->process(data->Block(kBlock)), kResultOk);
    EXPECT_FALSE(rig.effect->IsRenderingOffline());

    // An offline setup stays offline, also under calls that say real time.
    AdapterRig offline;
    offline.Start(kSample32, kOffline);
    EXPECT_TRUE(offline.effect->IsRenderingOffline());
    auto offlineData = Stereo();
    ASSERT_EQ(offline.effect->process(offlineData->Block(kBlock)), kResultOk);
    EXPECT_TRUE(offline.effect->IsRenderingOffline());
}

TEST(AdapterTest, EditsLatencyAndActivationReachTheHost)
{
    AdapterRig rig;
    rig.Start();
    rig.handler->Clear();
    rig.effect->NotifyEditBegin(kTestSteps);
    rig.effect->SetParamFromEditor(kTestSteps, 0.3);
    rig.effect->NotifyEditEnd(kTestSteps);
    const std::vector<host::HandlerEvent> edits = rig.handler->Events();
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(edits[0].kind, host::HandlerEvent::kBeginEdit);
    EXPECT_EQ(edits[1].kind, host::HandlerEvent::kPerformEdit);
    EXPECT_DOUBLE_EQ(edits[1].normalised, 0.3);
    EXPECT_EQ(edits[2].kind, host::HandlerEvent::kEndEdit);
    EXPECT_EQ(edits[2].id, static_cast<ParamID>(kTestSteps));
    EXPECT_DOUBLE_EQ(rig.effect->ParamAt(kTestSteps)->Value(), 3.0);

    rig.handler->Clear();
    rig.effect->ChangeLatency(64);
    EXPECT_EQ(rig.effect->getLatencySamples(), 64u);
    const std::vector<host::HandlerEvent> restarts = rig.handler->Events();
    ASSERT_EQ(restarts.size(), 1u);
    EXPECT_EQ(restarts[0].kind, host::HandlerEvent::kRestart);
    EXPECT_EQ(restarts[0].flags, kLatencyChanged);
    EXPECT_EQ(restarts[0].flags, 8);

    rig.effect->setActive(false);
    rig.effect->setActive(true);
    EXPECT_EQ(rig.effect->activations, (std::vector<bool>{true, false, true}));
}

// A host frame that records resize requests.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor" // COM-style interfaces end through release()
class RecordingFrame : public FObject, public IPlugFrame
{
public:
    tresult PLUGIN_API resizeView(IPlugView*, ViewRect* newSize) override
    {
        ++resizes;
        lastSize = *newSize;
        return kResultOk;
    }
    OBJ_METHODS(RecordingFrame, FObject)
    DEF_INTERFACES_1(IPlugFrame, FObject)
    REFCOUNT_METHODS(FObject)
    int resizes = 0;
    ViewRect lastSize;
};
#pragma GCC diagnostic pop

class FakeView : public IEffectVST3ViewLink
{
public:
    IPlugView* PlugView() override { return nullptr; }
    IPlugFrame* HostFrame() override { return &frame; }
    void ExpectResize() override { ++expectations; }
    RecordingFrame frame;
    int expectations = 0;
};

class FakeEditor : public IEditorLink
{
public:
    void PushParamToControls(int, double, bool) override { ++pushes; }
    void PushUserValueToControls(int, double) override {}
    void SetControlValueAt(int, double) override {}
    void SetParamControlsHidden(int, bool) override {}
    void CreateSurface() override {}
    int FrameRate() const override { return 24; }
    void StartGestureTimer(int) override {}
    void StopGestureTimer() override {}
    int pushes = 0;
};

TEST(AdapterTest, ContextMenuAndResizeGoThroughTheFirstOpenView)
{
    AdapterRig rig;
    rig.Start();
    FakeView view;
    rig.effect->ShowHostContextMenu(kTestMode, 10, 20);
    rig.effect->ResizeEditor(300, 200);
    EXPECT_TRUE(rig.handler->Events().empty());

    rig.effect->AddView(&view);
    rig.effect->ShowHostContextMenu(kTestMode, 10, 20);
    const std::vector<host::HandlerEvent> events = rig.handler->Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, host::HandlerEvent::kContextMenuPopup);
    EXPECT_EQ(events[0].id, static_cast<ParamID>(kTestMode));
    EXPECT_EQ(events[0].x, 10);
    EXPECT_EQ(events[0].y, 20);

    rig.effect->ResizeEditor(300, 200); // no editor yet: nothing
    EXPECT_EQ(view.frame.resizes, 0);
    auto* editor = new FakeEditor;
    rig.effect->AttachEditor(editor); // the base owns it from here
    rig.effect->ResizeEditor(300, 200);
    EXPECT_EQ(view.expectations, 1);
    ASSERT_EQ(view.frame.resizes, 1);
    EXPECT_EQ(view.frame.lastSize.getWidth(), 300);
    EXPECT_EQ(view.frame.lastSize.getHeight(), 200);

    // Process pushes host changes to the editor's controls.
    const int pushesBefore = editor->pushes;
    auto data = Stereo();
    ASSERT_TRUE(data->Changes().Add(kTestGain, 0, 0.5));
    ASSERT_EQ(rig.effect->process(data->Block(kBlock)), kResultOk);
    EXPECT_EQ(editor->pushes, pushesBefore + 1);

    rig.effect->RemoveView(&view);
    EXPECT_EQ(rig.effect->ViewCount(), 0);
    rig.effect->ResizeEditor(10, 10);
    EXPECT_EQ(view.frame.resizes, 1);
    rig.effect->AddView(&view);
    rig.effect->terminate(); // forgets the views
    rig.started = false;
    EXPECT_EQ(rig.effect->ViewCount(), 0);
}

TEST(AdapterTest, ControllerStateIsEmptyAndApartFromTheComponentState)
{
    AdapterRig rig;
    rig.Start();
    IEditController* controller = rig.effect.get();
    IComponent* component = rig.effect.get();
    MemoryStream controllerState;
    ASSERT_EQ(controller->getState(&controllerState), kResultOk);
    EXPECT_EQ(controllerState.getSize(), 0);
    MemoryStream componentState;
    ASSERT_EQ(component->getState(&componentState), kResultOk);
    EXPECT_EQ(componentState.getSize(), static_cast<TSize>(kTestParamCount * sizeof(double)));

    // The controller's setState reads nothing, whatever the stream holds.
    const double garbage[3] = {1e9, -1e9, 3.0};
    MemoryStream garbageStream;
    int32 written = 0;
    garbageStream.write(const_cast<double*>(garbage), sizeof garbage, &written);
    garbageStream.seek(0, IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(controller->setState(&garbageStream), kResultOk);
    int64 position = -1;
    garbageStream.tell(&position);
    EXPECT_EQ(position, 0);
    EXPECT_DOUBLE_EQ(rig.effect->ParamAt(kTestGain)->Value(), 1.0);

    // The component's setState leaves the stream after the record's trailer.
    componentState.seek(0, IBStream::kIBSeekSet, nullptr);
    int32 trailer = 0;
    componentState.seek(0, IBStream::kIBSeekEnd, nullptr);
    componentState.write(&trailer, sizeof trailer, &written);
    componentState.seek(0, IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(component->setState(&componentState), kResultOk);
    componentState.tell(&position);
    EXPECT_EQ(position, static_cast<int64>(kTestParamCount * sizeof(double) + sizeof trailer));
}

TEST(AdapterTest, ComponentQueriesTheHostDidNotAskFor)
{
    AdapterRig rig;
    rig.Start();
    TUID classId = {};
    EXPECT_EQ(rig.effect->getControllerClassId(classId), kNotImplemented);
    EXPECT_EQ(rig.effect->setIoMode(kSimple), kNotImplemented);
    RoutingInfo in{};
    RoutingInfo out{};
    EXPECT_EQ(rig.effect->getRoutingInfo(in, out), kNotImplemented);
    EXPECT_EQ(rig.effect->setProcessing(true), kNotImplemented);
    EXPECT_EQ(rig.effect->createView("editor"), nullptr);
    EXPECT_EQ(rig.effect->setKnobMode(kLinearMode), kResultOk);
    EXPECT_EQ(rig.effect->openHelp(false), kResultFalse);
    EXPECT_EQ(rig.effect->openAboutBox(false), kResultFalse);
    EXPECT_EQ(rig.effect->activateBus(kAudio, kOutput, 5, true), kInvalidArgument);
    EXPECT_EQ(rig.effect->activateBus(kAudio, kOutput, -1, true), kInvalidArgument);
    SpeakerArrangement arrangement = 0;
    EXPECT_EQ(rig.effect->getBusArrangement(kOutput, 3, arrangement), kInvalidArgument);
    EXPECT_EQ(rig.effect->getTailSamples(), kInfiniteTail);
}

// A stream that, on every read and write, asks another thread whether the
// instance mutex is free: the host's stream must be handled without it.
class MutexProbingStream : public MemoryStream
{
public:
    explicit MutexProbingStream(std::recursive_mutex& newMutex) : mutex(newMutex) {}

    tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override
    {
        Probe();
        return MemoryStream::read(buffer, numBytes, numBytesRead);
    }
    tresult PLUGIN_API write(void* buffer, int32 numBytes, int32* numBytesWritten) override
    {
        Probe();
        return MemoryStream::write(buffer, numBytes, numBytesWritten);
    }

    bool probing = false;
    int probes = 0;
    int heldProbes = 0; // probes that found the mutex taken

private:
    void Probe()
    {
        if (!probing) {
            return;
        }
        ++probes;
        bool taken = false;
        std::thread other([&] {
            taken = mutex.try_lock();
            if (taken) {
                mutex.unlock();
            }
        });
        other.join();
        heldProbes += taken ? 0 : 1;
    }

    std::recursive_mutex& mutex;
};

TEST(AdapterTest, StateStreamsAreReadAndWrittenWithoutTheInstanceMutex)
{
    AdapterRig rig;
    rig.Start();
    IComponent* component = rig.effect.get();
    MutexProbingStream stream(rig.effect->Mutex());
    stream.probing = true;
    ASSERT_EQ(component->getState(&stream), kResultOk);
    EXPECT_GT(stream.probes, 0);
    EXPECT_EQ(stream.heldProbes, 0) << "getState wrote the stream under the instance mutex";

    rig.effect->ParamAt(kTestGain)->SetPlain(0.25);
    stream.probing = false;
    stream.seek(0, IBStream::kIBSeekSet, nullptr);
    stream.probing = true;
    stream.probes = 0;
    ASSERT_EQ(component->setState(&stream), kResultOk);
    EXPECT_GT(stream.probes, 1); // the record, the end of the stream and the trailer
    EXPECT_EQ(stream.heldProbes, 0) << "setState read the stream under the instance mutex";
    EXPECT_DOUBLE_EQ(rig.effect->ParamAt(kTestGain)->Value(), 1.0); // and applied it
}

TEST(AdapterTest, EditsTheEffectMakesInsideProcessGoOutAsOutputChanges)
{
    AdapterTestOptions options;
    options.stepsSwitchModeOff = true;
    AdapterRig rig(options);
    rig.Start();
    auto data = Stereo();
    rig.effect->ParamAt(kTestMode)->SetPlain(1.0); // initialisation switched it off already
    rig.handler->Clear();
    ASSERT_TRUE(data->Changes().Add(kTestSteps, 0, 0.3));
    ASSERT_EQ(rig.effect->process(data->Block(kBlock)), kResultOk);

    // No component-handler call from the audio thread; the value went out
    // with the block instead, and the host's own "Steps" did not come back.
    EXPECT_TRUE(rig.handler->Events().empty());
    IParameterChanges& out = data->OutputChanges();
    ASSERT_EQ(out.getParameterCount(), 1);
    IParamValueQueue* queue = out.getParameterData(0);
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(queue->getParameterId(), static_cast<ParamID>(kTestMode));
    int32 offset = -1;
    ParamValue value = 0.0;
    ASSERT_EQ(queue->getPoint(0, offset, value), kResultOk);
    EXPECT_EQ(offset, 0);
    EXPECT_DOUBLE_EQ(value, 1.0);
    data->Advance(kBlock);

    // The same reaction on the UI thread goes through the component handler.
    rig.effect->ParamAt(kTestMode)->SetPlain(1.0);
    rig.effect->SetParamFromEditor(kTestSteps, 0.6);
    std::vector<host::HandlerEvent::Kind> kinds;
    for (const host::HandlerEvent& event : rig.handler->Events()) {
        if (event.id == static_cast<ParamID>(kTestMode)) {
            kinds.push_back(event.kind);
        }
    }
    EXPECT_EQ(kinds, (std::vector<host::HandlerEvent::Kind>{host::HandlerEvent::kBeginEdit,
                                                            host::HandlerEvent::kPerformEdit,
                                                            host::HandlerEvent::kEndEdit}));
}

} // namespace
} // namespace toneloom::testing
