// A host's UI thread editing parameters, selecting programs and loading
// state while its audio thread processes, as a host with an open editor
// does. The instance mutex must keep both consistent; scripts/test --thread
// runs this under ThreadSanitizer to check for races.
#include "ModuleHost.h"
#include "ToneMeasure.h"
#include "Vst3Ids.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace toneloom::testing {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRate = 48000.0;
constexpr int kBlock = 128;
constexpr int kAudioBlocks = 400;
// The audio thread keeps going until the UI thread has done this many rounds,
// however the two are scheduled.
constexpr int kUiRounds = 40;

TEST(ConcurrencyTest, EditsProgramsAndStateLoadsDuringProcessing)
{
    HostedPlugin plugin(ToneloomBundle());
    ASSERT_TRUE(plugin.Start(kRate, kBlock));
    IEditController* controller = plugin.Controller();
    const int params = plugin.ProductParamCount();

    // A few complete states to load: the factory presets 1 to 8.
    auto data = StereoBuilder(kBlock, kSample32, kRate);
    std::vector<std::vector<uint8_t>> states;
    for (int slot = 1; slot <= 8; ++slot) {
        ASSERT_TRUE(data->Changes().Add(kPresetParamId, 0, slot / 149.0));
        plugin.Render(*data, kBlock, kBlock);
        states.emplace_back();
        ASSERT_TRUE(plugin.Plugin().SaveState(&states.back()));
    }

    std::atomic<bool> audioDone{false};
    std::atomic<bool> outputFinite{true};
    std::atomic<int> uiRounds{0};
    std::thread audio([&] {
        for (int block = 0; block < kAudioBlocks || uiRounds < kUiRounds; ++block) {
            data->Changes().Add(static_cast<ParamID>(block % params), 0, (block % 10) / 10.0);
            if (block % 50 == 0) {
                data->Changes().Add(kPresetParamId, 0, (block % 140) / 149.0);
            }
            plugin.Plugin().Process(data->Block(kBlock));
            for (int s = 0; s < kBlock; ++s) {
                if (!std::isfinite(data->Output32(0, 0)[s]) ||
                    !std::isfinite(data->Output32(0, 1)[s])) {
                    outputFinite = false;
                }
            }
            data->Advance(kBlock);
        }
        audioDone = true;
    });

    int round = 0;
    String128 text{};
    while (!audioDone) {
        const auto id = static_cast<ParamID>(round % params);
        controller->setParamNormalized(id, (round % 7) / 7.0);
        controller->getParamNormalized(id);
        controller->getParamStringByValue(id, 0.5, text);
        controller->getParamNormalized(kPresetParamId);
        plugin.Plugin().Units()->getProgramName(kPresetParamId, 149, text);
        if (round % 4 == 0) {
            // A program change through the controller loads the program here.
            EXPECT_EQ(controller->setParamNormalized(kPresetParamId, (round % 140) / 149.0),
                      kResultOk);
            for (int i = 0; i < params; ++i) {
                const double value = controller->getParamNormalized(static_cast<ParamID>(i));
                EXPECT_TRUE(value >= 0.0 && value <= 1.0);
            }
        }
        if (round % 5 == 0) {
            EXPECT_EQ(plugin.Plugin().LoadState(states[static_cast<size_t>(round) % states.size()]),
                      kResultOk);
        }
        if (round % 3 == 0) {
            EXPECT_TRUE(SavedStateIsInRange(plugin));
        }
        ++round;
        uiRounds = round;
    }
    audio.join();
    EXPECT_TRUE(outputFinite);
    EXPECT_GE(round, kUiRounds);
    EXPECT_TRUE(SavedStateIsInRange(plugin));
}

} // namespace
} // namespace toneloom::testing
