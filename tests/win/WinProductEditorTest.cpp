// Toneloom's own editor, loaded from the built Windows bundle the way a
// Windows DAW loads it, opened in a host window under Wine and played with
// real input (SendInput): what a user sees and what the host hears of it.
#include "EditorHostTestSupport.h"
#include "ModuleHost.h"
#include "Vst3Ids.h"

#include "PX_Png.h"

#include "pluginterfaces/gui/iplugview.h"

#include "WinTestHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

namespace toneloom::testing {
namespace {

using namespace Steinberg;
using host::HandlerEvent;
using namespace toneloom_editor;

constexpr DWORD kSettleMs = 200;

// A Unix path of the build machine as Wine's Z: drive shows it.
std::string WinePath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

class WinProductEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(plugin.Start());
        view = owned(plugin.Controller()->createView("editor"));
        ASSERT_TRUE(view);
        ASSERT_EQ(view->attached(window.Handle(), kPlatformTypeHWND), kResultOk);
        window.MoveTo(kWidth + 20, kHeight + 20); // no hover look
        Pump(2 * kSettleMs);
        plugin.handler->Clear();
    }
    void TearDown() override
    {
        if (view) {
            view->removed();
        }
    }

    HostedPlugin plugin{ToneloomBundle()};
    HostWindow window{30, 30, kWidth, kHeight};
    IPtr<IPlugView> view;
};

TEST_F(WinProductEditorTest, ShowsWhatTheHeadlessSnapshotShows)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "toneloom-win-snapshot.png";
    std::string command = "\"" + WinePath(TONELOOM_SNAPSHOT_TOOL) + "\" --out \"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process))
        << command;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(exitCode, 0u) << command;
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
    file.close();
    std::remove(path.c_str());
    std::unique_ptr<PX_IBitmap> snapshot(DecodePng(bytes.data(), bytes.size(), nullptr));
    ASSERT_NE(snapshot, nullptr);

    HDC screen = GetDC(window.Handle());
    int differing = 0;
    constexpr int kStep = 3; // every third pixel each way: GetPixel is slow under Wine
    int compared = 0;
    for (int y = 0; y < kHeight; y += kStep) {
        for (int x = 0; x < kWidth; x += kStep) {
            const COLORREF shown = GetPixel(screen, x, y);
            const PX_Pixel drawn = snapshot->Row(y)[x];
            const int dr = std::abs(static_cast<int>(GetRValue(shown)) -
                                    static_cast<int>((drawn >> 16) & 0xFF));
            const int dg = std::abs(static_cast<int>(GetGValue(shown)) -
                                    static_cast<int>((drawn >> 8) & 0xFF));
            const int db =
                std::abs(static_cast<int>(GetBValue(shown)) - static_cast<int>(drawn & 0xFF));
            differing += (dr > 16 || dg > 16 || db > 16) ? 1 : 0;
            ++compared;
        }
    }
    ReleaseDC(window.Handle(), screen);
    EXPECT_LT(differing, compared / 50) << "pixels unlike the snapshot";
}

TEST_F(WinProductEditorTest, BaseFreqKnobDragsAndDoubleClicksBackToItsDefault)
{
    const double start = plugin.Controller()->getParamNormalized(kBaseFreq);
    window.MoveTo(kBaseFreqX, kBaseFreqY);
    window.Mouse(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 4; ++step) {
        window.MoveTo(kBaseFreqX, kBaseFreqY - 10 * step);
    }
    window.Mouse(MOUSEEVENTF_LEFTUP);
    Pump(kSettleMs);
    const std::vector<HandlerEvent> events = plugin.handler->Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front().kind, HandlerEvent::kBeginEdit);
    EXPECT_EQ(events.back().kind, HandlerEvent::kEndEdit);
    EXPECT_EQ(events.front().id, kBaseFreq);
    EXPECT_GT(plugin.Controller()->getParamNormalized(kBaseFreq), start);

    Pump(GetDoubleClickTime());
    window.Click(kBaseFreqX, kBaseFreqY);
    window.Click(kBaseFreqX, kBaseFreqY);
    Pump(kSettleMs);
    EXPECT_NEAR(plugin.Controller()->getParamNormalized(kBaseFreq), start, 1e-9);
}

TEST_F(WinProductEditorTest, TypedBaseFreqAndAListPickReachTheHost)
{
    window.Click(kBaseFreqX, kBaseFreqY, true);
    Pump(kSettleMs);
    HWND editor = window.Editor();
    ASSERT_NE(editor, nullptr);
    HWND entry = GetDlgItem(editor, 0x63);
    ASSERT_NE(entry, nullptr);
    SetWindowTextA(entry, ""); // typed over the selection
    window.Type("432");
    window.Key(VK_RETURN);
    Pump(kSettleMs);
    const double normalised = plugin.Controller()->getParamNormalized(kBaseFreq);
    EXPECT_NEAR(plugin.Controller()->normalizedParamToPlain(kBaseFreq, normalised), 432.0, 1e-6);

    window.Click(kLfo1TargetX, kLfo1TargetY);
    Pump(kSettleMs);
    window.Click(kLfo1TargetX, kTargetListTop + static_cast<int>(2.5 * kTargetListRowHeight));
    Pump(kSettleMs);
    EXPECT_NEAR(plugin.Controller()->getParamNormalized(kLfo1Target), 0.5, 1e-6); // 2 of 0..4
}

// A host that holds a lock of its own around its program change (and takes
// it again in restartComponent) hears of the program after its call, on the
// editor's next timer tick.
TEST_F(WinProductEditorTest, ProgramPickedByAHostHoldingItsLockReachesTheHostLater)
{
    constexpr int kLastSlot = 149;
    const int slot = ProgramSlot(plugin, "Solfeggio MI - 528 Hz LFO");
    ASSERT_EQ(plugin.handler->Locked([&] {
        return plugin.Controller()->setParamNormalized(kPresetParamId,
                                                       static_cast<double>(slot) / kLastSlot);
    }),
              kResultOk);
    EXPECT_TRUE(plugin.handler->Events().empty());
    Pump(kSettleMs);
    const std::vector<HandlerEvent> events = plugin.handler->Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, HandlerEvent::kRestart);
    EXPECT_EQ(events[0].flags, Vst::kParamValuesChanged);
    EXPECT_EQ(plugin.handler->CallsInsideHostCalls(), 0);
}

} // namespace
} // namespace toneloom::testing
