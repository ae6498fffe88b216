// Toneloom through its loaded module, where hosts have been let down before:
// typed values, program changes from either side reaching the host, the
// tail a host may suspend on, and a host without any transport.
#include "HostText.h"
#include "ModuleHost.h"
#include "ToneMeasure.h"
#include "Vst3Ids.h"

#include "pluginterfaces/gui/iplugview.h"

#include <gtest/gtest.h>

#if SMTG_OS_WINDOWS
#include <windows.h>
#endif

#include <cctype>
#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace toneloom::testing {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRate = 48000.0;
constexpr int kBlock = 256;
constexpr int kToneloomParams = 23;
constexpr ParamID kBinauralId = 1;
constexpr ParamID kWaveId = 2;
constexpr ParamID kBeatsId = 4;
constexpr ParamID kPlayAnywayId = 5;
constexpr ParamID kFadeId = 6;
constexpr ParamID kLfo1RateDivId = 11;
// Text round trips are compared on the value they stand for.
constexpr double kNormalisedTolerance = 1e-9;

class Started
{
public:
    Started() { EXPECT_TRUE(plugin.Start(kRate, kBlock)); }
    HostedPlugin plugin{ToneloomBundle()};
};

// The normalised value `text` stands for, or the sentinel -1 when the
// controller refuses it (and then it must have left the value alone).
double Typed(IEditController* controller, ParamID id, const std::string& text)
{
    String128 typed{};
    TextToUtf16(text.c_str(), typed, kString128Units);
    ParamValue normalised = -1.0;
    const tresult result = controller->getParamValueByString(id, typed, normalised);
    if (result != kResultOk) {
        EXPECT_EQ(normalised, -1.0) << "refused \"" << text << "\" but changed the value";
        return -1.0;
    }
    return normalised;
}

std::string Shown(IEditController* controller, ParamID id, double normalised)
{
    String128 text{};
    EXPECT_EQ(controller->getParamStringByValue(id, normalised, text), kResultOk);
    return Utf16ToUtf8(text);
}

std::string Changed(std::string text, int (*change)(int))
{
    for (char& c : text) {
        c = static_cast<char>(change(static_cast<unsigned char>(c)));
    }
    return text;
}

// Typed values, one case per parameter.

class TypedValueTest : public ::testing::TestWithParam<int>
{
};

TEST_P(TypedValueTest, ShownTextsReadBackAndUnreadableTextIsRefused)
{
    Started host;
    IEditController* controller = host.plugin.Controller();
    const auto id = static_cast<ParamID>(GetParam());
    ParameterInfo info{};
    ASSERT_EQ(controller->getParameterInfo(GetParam() + 1, info), kResultOk); // after "Presets"
    ASSERT_EQ(info.id, id);
    const std::string unit = Utf16ToUtf8(info.units);

    std::vector<double> values;
    if (info.stepCount > 0 && info.stepCount <= 100) {
        for (int32 step = 0; step <= info.stepCount; ++step) {
            values.push_back(static_cast<double>(step) / info.stepCount);
        }
    } else {
        values = {0.0, 0.013, 0.25, 0.5, 0.77, 1.0};
    }
    for (double normalised : values) {
        const std::string text = Shown(controller, id, normalised);
        const double read = Typed(controller, id, text);
        ASSERT_GE(read, 0.0) << "\"" << text << "\" was refused";
        // The text stands for the value it was made from.
        EXPECT_EQ(Shown(controller, id, read), text);
        if (info.stepCount > 0 && info.stepCount <= 100) {
            EXPECT_NEAR(read, normalised, kNormalisedTolerance) << text;
        }
        EXPECT_NEAR(Typed(controller, id, Changed(text, std::tolower)), read, kNormalisedTolerance);
        EXPECT_NEAR(Typed(controller, id, Changed(text, std::toupper)), read, kNormalisedTolerance);
        EXPECT_NEAR(Typed(controller, id, "  " + text + " "), read, kNormalisedTolerance);
        if (!unit.empty()) {
            EXPECT_NEAR(Typed(controller, id, text + " " + unit), read, kNormalisedTolerance);
            EXPECT_NEAR(Typed(controller, id, text + unit), read, kNormalisedTolerance);
        }
    }

    for (const char* unreadable : {"", "   ", "abc", "12 parsecs", "nan", "inf", "1..2", "--3",
                                   "Sine Wave", "1/4x", "Yes please"}) {
        EXPECT_EQ(Typed(controller, id, unreadable), -1.0) << "\"" << unreadable << "\"";
    }
}

std::string ParamName(const ::testing::TestParamInfo<int>& info)
{
    static const char* const kNames[kToneloomParams] = {
        "BaseFreq",    "Binaural",   "Wave",       "BinauralPan", "Beats",    "PlayAnyway",
        "Fade",        "Volume",     "Lfo1Target", "Lfo1Wave",    "Lfo1Sync", "Lfo1RateDiv",
        "Lfo1RateMs",  "Lfo1Depth",  "Lfo1Start",  "Lfo2Target",  "Lfo2Wave", "Lfo2Sync",
        "Lfo2RateDiv", "Lfo2RateMs", "Lfo2Depth",  "Lfo2Start",   "LfosSync"};
    return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(EveryParameter, TypedValueTest, ::testing::Range(0, kToneloomParams),
                         ParamName);

TEST(TypedValues, MeanWhatTheUserTyped)
{
    Started host;
    IEditController* controller = host.plugin.Controller();
    auto plain = [&](ParamID id, const char* text) {
        return controller->normalizedParamToPlain(id, Typed(controller, id, text));
    };
    EXPECT_DOUBLE_EQ(plain(kBeatsId, "Monaural"), 1.0);
    EXPECT_DOUBLE_EQ(plain(kBeatsId, "monaural"), 1.0);
    EXPECT_DOUBLE_EQ(plain(kWaveId, "Gold. Square"), 6.0);
    EXPECT_DOUBLE_EQ(plain(kPlayAnywayId, "Yes"), 1.0);
    EXPECT_DOUBLE_EQ(plain(kLfo1RateDivId, "1/4"), 9.0);
    EXPECT_DOUBLE_EQ(plain(kLfo1RateDivId, "1/16T"), 1.0);
    EXPECT_NEAR(plain(kBinauralId, "7.83 Hz"), 7.83, 1e-9);
    EXPECT_NEAR(plain(kBinauralId, "7,83"), 7.83, 1e-9); // a decimal comma
    // A thousands separator or a decimal comma: too close to call.
    EXPECT_EQ(Typed(controller, kFadeId, "1,500 ms"), -1.0);
    EXPECT_EQ(Typed(controller, kFadeId, "1.500,5"), -1.0);
    EXPECT_NEAR(plain(kFadeId, "1500 ms"), 1500.0, 1e-9);
    EXPECT_NEAR(plain(kBinauralId, "+1e1hz"), 10.0, 1e-9);
    // Beyond the range: the nearest end.
    EXPECT_NEAR(plain(kBinauralId, "600"), 512.0, 1e-9);
    EXPECT_NEAR(plain(kBinauralId, "-3 Hz"), 0.0, 1e-9);
    // A list takes only its texts: its position numbers are never shown.
    EXPECT_EQ(Typed(controller, kBeatsId, "1"), -1.0);
    EXPECT_EQ(Typed(controller, kLfo1RateDivId, "4"), -1.0);
    // The unit of another parameter is not this one's.
    EXPECT_EQ(Typed(controller, kBinauralId, "7 ms"), -1.0);
}

// Program changes.

// The last value of each queue the plug-in wrote into `changes`.
std::map<ParamID, double> Reported(IParameterChanges& changes)
{
    std::map<ParamID, double> values;
    for (int32 q = 0; q < changes.getParameterCount(); ++q) {
        IParamValueQueue* queue = changes.getParameterData(q);
        int32 offset = -1;
        ParamValue value = 0.0;
        if (queue != nullptr && queue->getPointCount() > 0 &&
            queue->getPoint(queue->getPointCount() - 1, offset, value) == kResultOk) {
            EXPECT_EQ(offset, 0);
            values[queue->getParameterId()] = value;
        }
    }
    return values;
}

bool HandlerSaw(HostedPlugin& plugin, host::HandlerEvent::Kind kind, int32 flags = 0)
{
    for (const host::HandlerEvent& event : plugin.handler->Events()) {
        if (event.kind == kind && (kind != host::HandlerEvent::kRestart || event.flags == flags)) {
            return true;
        }
    }
    return false;
}

TEST(ProgramChange, FromAProcessQueueGoesOutAsOutputParameterChanges)
{
    Started host;
    HostedPlugin& plugin = host.plugin;
    IEditController* controller = plugin.Controller();
    const int slot = ProgramSlot(plugin, "Binaural - 0.2 (Dental pain)");
    auto data = StereoBuilder(kBlock, kSample32, kRate);
    plugin.handler->Clear();

    ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, slot / 149.0));
    ASSERT_TRUE(data->Changes().Add(kWaveId, 0, 0.0)); // the host's own value, after the program
    ASSERT_EQ(plugin.Plugin().Process(data->Block(kBlock)), kResultOk);
    const std::map<ParamID, double> reported = Reported(data->OutputChanges());
    data->Advance(kBlock);

    // "Binaural" was 4.0; the host now hears 0.2 Hz from the plug-in.
    ASSERT_EQ(reported.count(kBinauralId), 1u);
    EXPECT_NEAR(controller->normalizedParamToPlain(kBinauralId, reported.at(kBinauralId)), 0.2,
                1e-9);
    for (const auto& [id, value] : reported) {
        EXPECT_LT(id, static_cast<ParamID>(kToneloomParams));
        EXPECT_DOUBLE_EQ(value, controller->getParamNormalized(id)) << "parameter " << id;
    }
    // Neither the host's own values nor unchanged ones are echoed.
    EXPECT_EQ(reported.count(kWaveId), 0u);
    EXPECT_EQ(reported.count(kPresetParamId), 0u);
    EXPECT_LT(reported.size(), static_cast<size_t>(kToneloomParams));
    // Nothing reached the component handler from the audio thread.
    EXPECT_TRUE(plugin.handler->Events().empty());

    // The same program again: only what the host had changed since comes back.
    ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, slot / 149.0));
    ASSERT_EQ(plugin.Plugin().Process(data->Block(kBlock)), kResultOk);
    const std::map<ParamID, double> again = Reported(data->OutputChanges());
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again.begin()->first, kWaveId);
    data->Advance(kBlock);
    // A block of no samples still carries the program change.
    ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, 0.0));
    ASSERT_EQ(plugin.Plugin().Process(data->Block(0)), kResultOk);
    EXPECT_EQ(Reported(data->OutputChanges()).count(kBinauralId), 1u);
}

// Hosts that hold their own lock around their calls into the plug-in (as
// Ardour does) must hear nothing from inside those calls, and still learn
// every value a program change or state load set, after the call.

// The values of every product parameter, as the controller reports them.
std::vector<double> ControllerValues(IEditController* controller)
{
    std::vector<double> values;
    for (ParamID id = 0; id < static_cast<ParamID>(kToneloomParams); ++id) {
        values.push_back(controller->getParamNormalized(id));
    }
    return values;
}

// Normalised values that stand for the same plain values.
::testing::AssertionResult SameValues(const std::vector<double>& a, const std::vector<double>& b)
{
    if (a.size() != b.size()) {
        return ::testing::AssertionFailure() << a.size() << " values against " << b.size();
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::abs(a[i] - b[i]) > kNormalisedTolerance) {
            return ::testing::AssertionFailure()
                   << "parameter " << i << ": " << a[i] << " against " << b[i];
        }
    }
    return ::testing::AssertionSuccess();
}

std::vector<uint8_t> SavedState(HostedPlugin& plugin)
{
    std::vector<uint8_t> state;
    EXPECT_TRUE(plugin.Plugin().SaveState(&state));
    return state;
}

TEST(HostLock, ProgramChangesAndStateLoadsNeverCallTheHostBackFromInsideItsCall)
{
    Started host;
    HostedPlugin& plugin = host.plugin;
    host::RecordingComponentHandler& handler = *plugin.handler;
    IEditController* controller = plugin.Controller();
    const int dental = ProgramSlot(plugin, "Binaural - 0.2 (Dental pain)");
    const int solfeggio = ProgramSlot(plugin, "Solfeggio MI - 528 Hz LFO");
    handler.Clear();

    // A preset picked from the host's menu, as Ardour does it.
    ASSERT_EQ(handler.Locked(
                  [&] { return controller->setParamNormalized(kPresetParamId, dental / 149.0); }),
              kResultOk);
    EXPECT_NEAR(controller->normalizedParamToPlain(kBinauralId,
                                                   controller->getParamNormalized(kBinauralId)),
                0.2, 1e-9);
    const std::vector<uint8_t> dentalState = SavedState(plugin);
    ASSERT_EQ(handler.Locked([&] {
        return controller->setParamNormalized(kPresetParamId, solfeggio / 149.0);
    }),
              kResultOk);
    // A project restored: the component's state, then the same bytes handed
    // to the controller.
    ASSERT_EQ(handler.Locked([&] { return plugin.Plugin().LoadState(dentalState); }), kResultOk);
    ASSERT_EQ(
        handler.Locked([&] { return plugin.Plugin().HandComponentStateToController(dentalState); }),
        kResultOk);
    // Everything else a host does around them.
    String128 typed{};
    TextToUtf16("Monaural", typed, kString128Units);
    ParamValue monaural = 0.0;
    ASSERT_EQ(handler.Locked(
                  [&] { return controller->getParamValueByString(kBeatsId, typed, monaural); }),
              kResultOk);
    ASSERT_EQ(handler.Locked([&] { return controller->setParamNormalized(kBeatsId, monaural); }),
              kResultOk);
    ASSERT_EQ(handler.Locked([&] { return plugin.Plugin().SetActive(false); }), kResultOk);
    ASSERT_EQ(handler.Locked([&] { return plugin.Plugin().Setup(44100.0, kBlock); }), kResultOk);
    ASSERT_EQ(handler.Locked([&] { return plugin.Plugin().SetActive(true); }), kResultOk);

    EXPECT_EQ(handler.CallsInsideHostCalls(), 0);
    // This host neither processes, nor shows the editor, nor lends a run
    // loop: nothing reached it at all, the values wait in the controller.
    EXPECT_TRUE(handler.Events().empty());
    EXPECT_NEAR(controller->normalizedParamToPlain(kBinauralId,
                                                   controller->getParamNormalized(kBinauralId)),
                0.2, 1e-9);
}

TEST(HostLock, AHostThatProcessesLearnsTheValuesFromTheNextBlock)
{
    Started host;
    HostedPlugin& plugin = host.plugin;
    IEditController* controller = plugin.Controller();
    const int dental = ProgramSlot(plugin, "Binaural - 0.2 (Dental pain)");
    auto data = StereoBuilder(kBlock, kSample32, kRate);
    ASSERT_EQ(plugin.Plugin().Process(data->Block(kBlock)), kResultOk);
    data->Advance(kBlock);

    ASSERT_EQ(plugin.handler->Locked(
                  [&] { return controller->setParamNormalized(kPresetParamId, dental / 149.0); }),
              kResultOk);
    ASSERT_TRUE(data->Changes().Add(kWaveId, 0, 0.0)); // the host's own value in the block
    ASSERT_EQ(plugin.Plugin().Process(data->Block(kBlock)), kResultOk);
    const std::map<ParamID, double> reported = Reported(data->OutputChanges());
    data->Advance(kBlock);
    ASSERT_EQ(reported.count(kBinauralId), 1u);
    EXPECT_NEAR(controller->normalizedParamToPlain(kBinauralId, reported.at(kBinauralId)), 0.2,
                1e-9);
    EXPECT_EQ(reported.count(kWaveId), 0u);
    for (const auto& [id, value] : reported) {
        EXPECT_DOUBLE_EQ(value, controller->getParamNormalized(id)) << "parameter " << id;
    }
    // Told once: the next block reports nothing.
    ASSERT_EQ(plugin.Plugin().Process(data->Block(kBlock)), kResultOk);
    EXPECT_TRUE(Reported(data->OutputChanges()).empty());
    data->Advance(kBlock);

    // A state load from the host's side reaches it the same way.
    const std::vector<uint8_t> dentalState = SavedState(plugin);
    ASSERT_EQ(controller->setParamNormalized(kBinauralId, 0.9), kResultOk);
    ASSERT_EQ(plugin.handler->Locked([&] { return plugin.Plugin().LoadState(dentalState); }),
              kResultOk);
    ASSERT_EQ(plugin.Plugin().Process(data->Block(kBlock)), kResultOk);
    const std::map<ParamID, double> restored = Reported(data->OutputChanges());
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_DOUBLE_EQ(restored.at(kBinauralId), controller->getParamNormalized(kBinauralId));
    EXPECT_EQ(plugin.handler->CallsInsideHostCalls(), 0);

    // And the tone follows: the program's values reached the engine, not
    // only the host's view.
    const int mi = ProgramSlot(plugin, "Solfeggio MI - 528 Hz (Transformation and Miracles, "
                                       "DNA Repair)");
    ASSERT_EQ(controller->setParamNormalized(kPresetParamId, mi / 149.0), kResultOk);
    const StereoOut out = plugin.Render(*data, static_cast<int>(kRate * 4), kBlock);
    const int second = static_cast<int>(kRate);
    EXPECT_NEAR(FrequencyHz(out.left, 3 * second, second, kRate), 528.0, 0.05);
}

// A host context that lends the host's run loop, as some Linux hosts do
// through the context given to initialize; its timers run when asked to.
#if SMTG_OS_LINUX
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class TimerLoop : public Linux::IRunLoop
{
public:
    virtual ~TimerLoop() = default;
    void RunTimers()
    {
        for (Linux::ITimerHandler* timer : std::vector<Linux::ITimerHandler*>(timers)) {
            timer->onTimer();
        }
    }
    size_t TimerCount() const { return timers.size(); }
    tresult PLUGIN_API registerEventHandler(Linux::IEventHandler*, Linux::FileDescriptor) override
    {
        return kResultOk;
    }
    tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler*) override { return kResultOk; }
    tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval) override
    {
        handler->addRef();
        timers.push_back(handler);
        return kResultOk;
    }
    tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) override
    {
        for (auto it = timers.begin(); it != timers.end(); ++it) {
            if (*it == handler) {
                timers.erase(it);
                handler->release();
                return kResultOk;
            }
        }
        return kResultFalse;
    }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override
    {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; } // lives as long as its application
    uint32 PLUGIN_API release() override { return 1; }

private:
    std::vector<Linux::ITimerHandler*> timers;
};
#pragma GCC diagnostic pop

class LoopLendingApplication : public host::HostApplication
{
public:
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid)) {
            *obj = &loop;
            return kResultOk;
        }
        return HostApplication::queryInterface(iid, obj);
    }
    TimerLoop loop;
};
#endif

TEST(HostLock, AHostWithNeitherProcessingNorEditorHearsOnItsOwnLoop)
{
    HostedPlugin plugin{ToneloomBundle()};
#if SMTG_OS_LINUX
    auto* application = new LoopLendingApplication;
    plugin.application = owned(static_cast<host::HostApplication*>(application));
#endif
    ASSERT_TRUE(plugin.Start(kRate, kBlock));
    IEditController* controller = plugin.Controller();
    const int dental = ProgramSlot(plugin, "Binaural - 0.2 (Dental pain)");
    plugin.handler->Clear();
    ASSERT_EQ(plugin.handler->Locked(
                  [&] { return controller->setParamNormalized(kPresetParamId, dental / 149.0); }),
              kResultOk);
    EXPECT_TRUE(plugin.handler->Events().empty());

    // The host's own loop comes round, out of any call into the plug-in.
#if SMTG_OS_LINUX
    ASSERT_EQ(application->loop.TimerCount(), 1u);
    application->loop.RunTimers();
#elif SMTG_OS_WINDOWS
    for (int wait = 0; wait < 50 && plugin.handler->Events().empty(); ++wait) {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
#endif
    EXPECT_TRUE(HandlerSaw(plugin, host::HandlerEvent::kRestart, kParamValuesChanged));
    EXPECT_EQ(plugin.handler->Events().size(), 1u);
    EXPECT_EQ(plugin.handler->CallsInsideHostCalls(), 0);
    // Told once.
#if SMTG_OS_LINUX
    application->loop.RunTimers();
    EXPECT_EQ(plugin.handler->Events().size(), 1u);
    // terminate gives the loop its timer back.
    ASSERT_EQ(plugin.Plugin().SetActive(false), kResultOk);
    ASSERT_EQ(plugin.Plugin().Terminate(), kResultOk);
    EXPECT_EQ(application->loop.TimerCount(), 0u);
#endif
}

TEST(HostLock, AHostThatCachesValuesInBatchesKeepsThemInStepWithThePlugIn)
{
    Started host;
    HostedPlugin& plugin = host.plugin;
    IEditController* controller = plugin.Controller();
    // The host's view of every value, read again whole on a restart.
    std::vector<double> cache = ControllerValues(controller);
    plugin.handler->OnRestart([&](int32) { cache = ControllerValues(controller); });
    auto data = StereoBuilder(kBlock, kSample32, kRate);
    auto processAndTakeOutput = [&] {
        ASSERT_EQ(plugin.Plugin().Process(data->Block(kBlock)), kResultOk);
        for (const auto& [id, value] : Reported(data->OutputChanges())) {
            cache[id] = value;
        }
        data->Advance(kBlock);
    };

    // One batch: the program first, then a value of the host's own.
    const int dental = ProgramSlot(plugin, "Binaural - 0.2 (Dental pain)");
    const std::vector<std::pair<ParamID, double>> batch = {{kPresetParamId, dental / 149.0},
                                                           {0, 0.3}};
    for (const auto& [id, value] : batch) {
        if (id < static_cast<ParamID>(kToneloomParams)) {
            cache[id] = value;
        }
    }
    for (const auto& [id, value] : batch) {
        ASSERT_EQ(plugin.handler->Locked([&] { return controller->setParamNormalized(id, value); }),
                  kResultOk);
    }
    processAndTakeOutput();
    EXPECT_TRUE(SameValues(cache, ControllerValues(controller)));

    // A round trip through the state with other values in between.
    const std::vector<uint8_t> state = SavedState(plugin);
    ASSERT_EQ(controller->setParamNormalized(0, 0.7), kResultOk);
    cache[0] = 0.7;
    ASSERT_EQ(plugin.handler->Locked([&] { return plugin.Plugin().LoadState(state); }), kResultOk);
    processAndTakeOutput();
    EXPECT_TRUE(SameValues(cache, ControllerValues(controller)));
    EXPECT_NEAR(cache[0], 0.3, kNormalisedTolerance);
    EXPECT_EQ(plugin.handler->CallsInsideHostCalls(), 0);
}

// The component's state handed to the controller.

TEST(ComponentStateToController, AppliesAsSetStateDoesAndRefusesWhatItCannotRead)
{
    Started source;
    ASSERT_EQ(source.plugin.Controller()->setParamNormalized(kBinauralId, 0.25), kResultOk);
    ASSERT_EQ(source.plugin.Controller()->setParamNormalized(kBeatsId, 1.0), kResultOk);
    const std::vector<uint8_t> state = SavedState(source.plugin);

    // A good record.
    Started target;
    IEditController* controller = target.plugin.Controller();
    EXPECT_EQ(target.plugin.handler->Locked(
                  [&] { return target.plugin.Plugin().HandComponentStateToController(state); }),
              kResultOk);
    EXPECT_EQ(ControllerValues(controller), ControllerValues(source.plugin.Controller()));

    // An empty stream, and a record cut short: refused, and no parameter it
    // holds no whole value for has changed.
    Started other;
    IEditController* untouched = other.plugin.Controller();
    const std::vector<double> before = ControllerValues(untouched);
    EXPECT_NE(other.plugin.Plugin().HandComponentStateToController({}), kResultOk);
    EXPECT_EQ(ControllerValues(untouched), before);
    const std::vector<uint8_t> cut(state.begin(), state.begin() + 8 + 5); // "Base Freq" and 5 bytes
    EXPECT_NE(other.plugin.Plugin().HandComponentStateToController(cut), kResultOk);
    std::vector<double> after = ControllerValues(untouched);
    EXPECT_EQ(std::vector<double>(after.begin() + 1, after.end()),
              std::vector<double>(before.begin() + 1, before.end()));
    EXPECT_EQ(other.plugin.handler->CallsInsideHostCalls(), 0);
}

TEST(ComponentStateToController, AfterSetStateChangesNeitherValuesNorTone)
{
    // A preset with both LFOs running, so a restarted phase would be heard.
    Started source;
    const int lfo = ProgramSlot(source.plugin, "Solfeggio MI - 528 Hz LFO");
    ASSERT_EQ(source.plugin.Controller()->setParamNormalized(kPresetParamId, lfo / 149.0),
              kResultOk);
    const std::vector<uint8_t> state = SavedState(source.plugin);

    StereoOut tones[2];
    std::vector<double> values[2];
    for (int handedOver = 0; handedOver < 2; ++handedOver) {
        // Offline, so that no pause between calls re-aligns a phase.
        HostedPlugin plugin{ToneloomBundle()};
        ASSERT_TRUE(plugin.Start(kRate, kBlock));
        ASSERT_EQ(plugin.Plugin().SetActive(false), kResultOk);
        ASSERT_EQ(plugin.Plugin().Setup(kRate, kBlock, kSample32, kOffline), kResultOk);
        ASSERT_EQ(plugin.Plugin().SetActive(true), kResultOk);
        auto data = StereoBuilder(kBlock, kSample32, kRate);
        plugin.Render(*data, static_cast<int>(kRate / 2), kBlock);
        ASSERT_EQ(plugin.Plugin().LoadState(state), kResultOk);
        if (handedOver == 1) {
            ASSERT_EQ(plugin.Plugin().HandComponentStateToController(state), kResultOk);
        }
        values[handedOver] = ControllerValues(plugin.Controller());
        tones[handedOver] = plugin.Render(*data, static_cast<int>(kRate * 2), kBlock);
    }
    EXPECT_EQ(values[0], values[1]);
    EXPECT_EQ(tones[0].left, tones[1].left);
    EXPECT_EQ(tones[0].right, tones[1].right);
}

// The tail and the transport.

TEST(HostBoundary, TheTailIsInfinite)
{
    Started host;
    EXPECT_EQ(host.plugin.Plugin().Processor()->getTailSamples(), kInfiniteTail);
}

TEST(HostBoundary, WithoutAnyProcessContextTheToneKeepsPlaying)
{
    const int seconds = 3;
    for (bool withContext : {false, true}) {
        Started host;
        auto data = StereoBuilder(kBlock, kSample32, kRate);
        // With a context, the transport is stopped and "Play Anyway" is off.
        data->SetPlaying(false);
        StereoOut out;
        for (int block = 0; block < seconds * static_cast<int>(kRate) / kBlock; ++block) {
            ProcessData& process = data->Block(kBlock);
            process.processContext = withContext ? &data->Context() : nullptr;
            ASSERT_EQ(host.plugin.Plugin().Process(process), kResultOk);
            out.left.insert(out.left.end(), data->Output32(0, 0), data->Output32(0, 0) + kBlock);
            data->Advance(kBlock);
        }
        const int lastSecond = (seconds - 1) * static_cast<int>(kRate);
        const double peak = Peak(out.left, lastSecond, static_cast<int>(kRate));
        if (withContext) {
            EXPECT_LT(peak, 1e-3) << "a stopped transport fades the tone out";
        } else {
            EXPECT_GT(peak, 0.1) << "no transport at all: the tone plays";
        }
    }
}

} // namespace
} // namespace toneloom::testing
