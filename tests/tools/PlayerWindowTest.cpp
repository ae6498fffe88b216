// toneloom-play with its window, as a user meets it: the program runs in the
// background on the suite's own virtual X server (with no window manager, so
// the test sends what one would), plays into the ALSA file PCMs and JACK
// dummy server of PlayTestSupport, and is driven with real input through
// XTEST. What reached the device, what the window shows, what the program
// left in its settings folder and its end-of-run report are checked.
#include "PX_Png.h"
#include "PlayTestSupport.h"
#include "SignalMeasure.h"
#include "X11TestHost.h"
#include "XvfbDisplay.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

namespace toneloom::test {

namespace {

using namespace toneloom::testing;

// The window at 1x, pixels: the strip along the top, the editor below it.
constexpr int kWidth = 470;
constexpr int kStripHeight = 62;
constexpr int kEditorHeight = 455;
// Where to press, in the window: the play button, the device box, and the
// editor's Base Freq knob (dragged vertically).
constexpr int kPlayX = 31;
constexpr int kPlayY = 31;
constexpr int kDeviceX = 300;
constexpr int kDeviceY = 20;
constexpr int kBaseFreqX = 53;
constexpr int kBaseFreqY = kStripHeight + 120;
constexpr unsigned kLeft = 1;
// The strip's lists open below it, their entries 20 pixels apart: the
// middle of the first.
constexpr int kListFirstRowY = kStripHeight + 1 + 10;
constexpr int kListRowHeight = 20;
// The plug-in's fade when the transport stops and glide of frequency
// changes, ms: short, so that a change is heard whole soon after it.
constexpr int kFadeMs = 200;
const char* const kSettingsHeader = "toneloom-play settings 1\n";

// A sine in both ears with a short fade, and `more`.
std::vector<std::string> PlainSine(std::vector<std::string> more)
{
    more.insert(more.end(), {"--set", "Wave=Sine", "--set", "Binaural=0", "--set",
                             "Fade=" + std::to_string(kFadeMs)});
    return more;
}

void Wait(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// The left ear's frequency over [begin, end) frames of a capture, Hz.
double LeftHz(const Capture& c, int begin, int end)
{
    return FrequencyHz(c.left, begin, end - begin, kPlayRate);
}

class PlayerWindow : public PlayTest
{
protected:
    PlayerWindow() : PlayTest("toneloom-play-window") {}

    static void SetUpTestSuite()
    {
        PlayTest::SetUpTestSuite();
        std::string error;
        ASSERT_TRUE(EnsureVirtualDisplay(&error)) << error;
    }

    void SetUp() override
    {
        PlayTest::SetUp();
        settingsPath = dir + "/config/toneloom/player.conf";
        reportPath = dir + "/report.txt";
        environment += "XDG_CONFIG_HOME=" + Quote(dir + "/config") +
                       " TONELOOM_PLAY_REPORT=" + Quote(reportPath) + " ";
    }
    void TearDown() override
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        window.reset();
        PlayTest::TearDown();
    }

    // Starts the player on toneloom_capture and waits for its window to
    // show; false when none appears.
    bool Start(std::vector<std::string> args)
    {
        args.insert(args.end(), {"--device", "toneloom_capture", "--buffer", "256"});
        std::string command = "exec env " + environment + Quote(TONELOOM_PLAY_PATH) + " --plugin " +
                              Quote(TONELOOM_BUNDLE_PATH);
        for (const std::string& arg : args) {
            command += " " + Quote(arg);
        }
        command += " > " + Quote(dir + "/.out") + " 2> " + Quote(dir + "/.err") + " < /dev/null";
        pid = fork();
        if (pid == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        window.reset();
        Display* display = XOpenDisplay(nullptr);
        for (int tries = 0; tries < 100 && display != nullptr && !window; ++tries) {
            Wait(100);
            if (const unsigned long found = FindPlayerWindow(display)) {
                window = std::make_unique<HostWindow>(found);
            }
        }
        if (display != nullptr) {
            XCloseDisplay(display);
        }
        Wait(600); // the editor's first frames, and the tone under way
        return window && window->Valid();
    }

    // The viewable top-level of class "toneloom-play" / "Toneloom", or 0.
    static unsigned long FindPlayerWindow(Display* display)
    {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        unsigned long found = 0;
        if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) ==
            0) {
            return 0;
        }
        for (unsigned i = 0; i < count && found == 0; ++i) {
            XClassHint hint{};
            XWindowAttributes attributes{};
            if (XGetClassHint(display, children[i], &hint) != 0) {
                if (std::string(hint.res_name) == "toneloom-play" &&
                    std::string(hint.res_class) == "Toneloom" &&
                    XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                    attributes.map_state == IsViewable) {
                    found = children[i];
                }
                XFree(hint.res_name);
                XFree(hint.res_class);
            }
        }
        XFree(children);
        return found;
    }

    // Waits for the player to end by itself: its exit code, -1 after
    // `seconds` (it is then killed). Its output goes to `out` and `err`.
    int Finish(double seconds = 10.0)
    {
        int status = 0;
        int code = -1;
        for (int waited = 0; pid > 0 && waited < seconds * 100; ++waited) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                pid = -1;
            } else {
                Wait(10);
            }
        }
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
        window.reset();
        out = Slurp(dir + "/.out");
        err = Slurp(dir + "/.err");
        return code;
    }

    // Closes the window as a window manager does when the user closes it.
    int Close()
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window->Id();
        event.xclient.message_type = XInternAtom(window->Display(), "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] =
            static_cast<long>(XInternAtom(window->Display(), "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(window->Display(), window->Id(), False, NoEventMask, &event);
        XFlush(window->Display());
        return Finish();
    }

    // Drags the Base Freq knob `pixels` up in steps of 10, as a user does.
    void DragBaseFreqUp(int pixels)
    {
        window->MoveTo(kBaseFreqX, kBaseFreqY);
        Wait(100);
        window->Press(kLeft);
        Wait(100);
        for (int moved = 10; moved <= pixels; moved += 10) {
            window->MoveTo(kBaseFreqX, kBaseFreqY - moved);
            Wait(50);
        }
        window->Release(kLeft);
        window->MoveTo(kWidth + 50, 0); // away, with no hover look left behind
        Wait(200);
    }

    // The report's "name value" lines.
    std::map<std::string, double> Report() const
    {
        std::map<std::string, double> report;
        std::istringstream lines(Slurp(reportPath));
        std::string name;
        double value = 0.0;
        while (lines >> name >> value) {
            report[name] = value;
        }
        return report;
    }

    // The editor let go of everything it registered with the window's run
    // loop, and never had a call refused or an edit dropped.
    void ExpectCleanHostReport()
    {
        std::map<std::string, double> r = Report();
        ASSERT_EQ(r.count("handlers-registered"), 1u) << Slurp(reportPath);
        EXPECT_GT(r["handlers-registered"] + r["timers-registered"], 0);
        EXPECT_EQ(r["handlers-registered"], r["handlers-released"]);
        EXPECT_EQ(r["timers-registered"], r["timers-released"]);
        EXPECT_EQ(r["left-registered"], 0);
        EXPECT_EQ(r["refused-calls"], 0);
        EXPECT_EQ(r["dropped-edits"], 0);
        std::remove(reportPath.c_str());
    }

    pid_t pid = -1;
    std::unique_ptr<HostWindow> window;
    std::string settingsPath;
    std::string reportPath;
    std::string out;
    std::string err;
};

// The mean difference of one channel between rows [top, bottom) of a capture
// (0x00RRGGBB, `width` wide) and a picture of their size.
double MeanDifference(const std::vector<uint32_t>& shown, int width, int top, int bottom,
                      const PX_IBitmap& picture)
{
    double sum = 0.0;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t a = shown[static_cast<size_t>(y) * width + x];
            const uint32_t b = picture.Row(y - top)[x];
            for (int shift = 0; shift < 24; shift += 8) {
                sum += std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                static_cast<int>((b >> shift) & 0xFF));
            }
        }
    }
    return sum / (3.0 * width * (bottom - top));
}

// Pixels of the strip's status line (62, 35)-(300, 53) in the warning's
// orange, in a capture of the window `width` wide.
int WarningPixels(const std::vector<uint32_t>& shown, int width)
{
    int orange = 0;
    for (int y = 35; y < 53; ++y) {
        for (int x = 62; x < 300; ++x) {
            const uint32_t p = shown[static_cast<size_t>(y) * width + x];
            orange += int((p >> 16) & 0xFF) - int(p & 0xFF) > 60 ? 1 : 0;
        }
    }
    return orange;
}

} // namespace

// The window holds the strip and, below it, the plug-in's own editor embedded
// as a DAW embeds it, showing what the snapshot tool draws of the same sound;
// the window follows the editor's size; closing it ends the program cleanly
// with everything the editor registered released.
TEST_F(PlayerWindow, ShowsTheStripAboveTheEditorFollowsItsSizeAndClosesCleanly)
{
    ASSERT_TRUE(Start({"--fresh"}));
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(window->Display(), window->Id(), &attributes), 0);
    EXPECT_EQ(attributes.width, kWidth);
    EXPECT_EQ(attributes.height, kStripHeight + kEditorHeight);
    // The editor's XEmbed window, at its full size below the strip.
    std::vector<unsigned long> pending = window->Children();
    unsigned long editor = 0;
    while (!pending.empty() && editor == 0) {
        const unsigned long w = pending.back();
        pending.pop_back();
        if (window->HasXembedInfo(w)) {
            editor = w;
        }
        for (unsigned long child : window->ChildrenOf(w)) {
            pending.push_back(child);
        }
    }
    ASSERT_NE(editor, 0u) << "no XEmbed child";
    int x = -1;
    int y = -1;
    Window child = 0;
    XTranslateCoordinates(window->Display(), editor, window->Id(), 0, 0, &x, &y, &child);
    ASSERT_NE(XGetWindowAttributes(window->Display(), editor, &attributes), 0);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, kStripHeight);
    EXPECT_EQ(attributes.width, kWidth);
    EXPECT_EQ(attributes.height, kEditorHeight);

    int width = 0;
    int height = 0;
    const std::vector<uint32_t> shown = window->Capture(&width, &height);
    ASSERT_EQ(width, kWidth);
    ASSERT_EQ(height, kStripHeight + kEditorHeight);
    const std::string png = dir + "/snapshot.png";
    ASSERT_EQ(
        std::system(
            (Quote(TONELOOM_SNAPSHOT_PATH) + " --out " + Quote(png) + " > /dev/null").c_str()),
        0);
    const std::string bytes = Slurp(png);
    std::unique_ptr<PX_IBitmap> snapshot(DecodePng(bytes.data(), bytes.size(), nullptr));
    ASSERT_NE(snapshot, nullptr);
    ASSERT_EQ(snapshot->Width(), kWidth);
    ASSERT_EQ(snapshot->Height(), kEditorHeight);
    // Alike but for what moves while playing (the LFO markers) and the
    // drawing of text; the strip above is not the editor's top.
    EXPECT_LT(MeanDifference(shown, width, kStripHeight, height, *snapshot), 4.0);
    EXPECT_GT(MeanDifference(shown, width, 0, kStripHeight, *snapshot), 4.0);

    // The editor's own size menu (a right click on its panel) asks for
    // another size from inside the view's call: the window follows on its
    // next turn, the strip at the same scale above the editor.
    window->Click(100, 500, 3);
    Wait(500);
    window->Click(125, 479); // "150 %"
    for (int tries = 0; tries < 50; ++tries) { // a slow (sanitizer) build takes longer
        Wait(100);
        ASSERT_NE(XGetWindowAttributes(window->Display(), window->Id(), &attributes), 0);
        if (attributes.width != kWidth) {
            break;
        }
    }
    Wait(300); // the editor's window follows in the same turn
    ASSERT_NE(XGetWindowAttributes(window->Display(), window->Id(), &attributes), 0);
    EXPECT_EQ(attributes.width, 705);
    EXPECT_EQ(attributes.height, 93 + 683);
    XTranslateCoordinates(window->Display(), editor, window->Id(), 0, 0, &x, &y, &child);
    ASSERT_NE(XGetWindowAttributes(window->Display(), editor, &attributes), 0);
    EXPECT_EQ(y, 93);
    EXPECT_EQ(attributes.width, 705);
    EXPECT_EQ(attributes.height, 683);

    EXPECT_EQ(Close(), 0) << err;
    EXPECT_TRUE(err.empty()) << err;
    ExpectCleanHostReport();
}

// A drag on the editor's Base Freq knob reaches the sound; the play button
// pauses (the tone fades out within the plug-in's "Fade" time) and plays
// again.
TEST_F(PlayerWindow, KnobDragChangesTheToneAndThePlayButtonPausesWithTheFade)
{
    // "Play Anyway" keeps the plug-in sounding without a transport: a pause
    // is still silence.
    ASSERT_TRUE(Start(PlainSine({"--set", "Base Freq=300", "--set", "Play Anyway=Yes"})));
    const int beforeDrag = CapturedFrames();
    DragBaseFreqUp(60);
    Wait(300);
    const int afterDrag = CapturedFrames();
    Wait(500);
    const int paused = CapturedFrames();
    window->Click(kPlayX, kPlayY);
    Wait(kFadeMs + 800);
    const int resumed = CapturedFrames();
    window->Click(kPlayX, kPlayY);
    Wait(800);
    const int closed = CapturedFrames();
    ASSERT_EQ(Close(), 0) << err;

    // A machine too busy to keep pace leaves gaps in the capture.
    SCOPED_TRACE("underruns: " + std::to_string(Report()["underruns"]));
    const Capture c = ReadCapture();
    ASSERT_GT(c.onset, 0);
    ASSERT_GT(beforeDrag - c.onset, 4800) << "the window took long to show";
    EXPECT_NEAR(LeftHz(c, beforeDrag - 4800, beforeDrag), 300.0, 0.5);
    const double dragged = LeftHz(c, afterDrag, paused);
    EXPECT_GT(dragged, 310.0) << "the drag did not raise Base Freq";
    // Silent from within the fade (and a margin for the device's buffers)
    // after the press until play is pressed again.
    int silentFrom = paused;
    while (silentFrom < resumed && Peak(c.left, silentFrom, 480) > kSilence) {
        silentFrom += 480;
    }
    EXPECT_LT(silentFrom - paused, (kFadeMs + 400) * kPlayRate / 1000.0);
    EXPECT_LT(Peak(c.left, silentFrom, resumed - silentFrom), kSilence);
    // The tone again, at the dragged frequency.
    EXPECT_GT(Peak(c.left, closed - 9600, 4800), 0.1);
    EXPECT_NEAR(LeftHz(c, closed - 9600, closed - 4800), dragged, 0.5);
}

// Picking the other output in the strip's device list moves the sound there,
// with no warning in the strip.
TEST_F(PlayerWindow, PicksAnotherOutputFromTheDeviceList)
{
    ASSERT_TRUE(Start(PlainSine({"--set", "Base Freq=300"})));
    window->Click(kDeviceX, kDeviceY);
    Wait(300);
    window->Click(kDeviceX, kListFirstRowY + kListRowHeight); // toneloom_capture2
    Wait(1000);
    const int firstEnded = CapturedFrames();
    Wait(500);
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> shown = window->Capture(&width, &height);
    ASSERT_EQ(Close(), 0) << err;
    EXPECT_TRUE(err.empty()) << err;

    EXPECT_LE(CapturedFrames(), firstEnded + 2 * 256) << "the first output went on playing";
    const Capture second = ReadCapture("2");
    ASSERT_GE(second.onset, 0) << "nothing reached the second output";
    EXPECT_NEAR(LeftHz(second, second.onset + 4800, second.onset + 14400), 300.0, 0.5);
    EXPECT_EQ(WarningPixels(shown, width), 0);
}

// Closing saves the sound and the next start plays it again; SIGTERM ends a
// windowed run the same way; --fresh starts from the defaults.
TEST_F(PlayerWindow, RemembersTheSoundBetweenRuns)
{
    ASSERT_TRUE(Start(PlainSine({"--fresh"})));
    const int beforeDrag = CapturedFrames();
    DragBaseFreqUp(60);
    Wait(500);
    ASSERT_EQ(Close(), 0) << err;
    ExpectCleanHostReport();
    const std::string saved = Slurp(settingsPath);
    EXPECT_EQ(saved.rfind(kSettingsHeader, 0), 0u) << saved;
    EXPECT_NE(saved.find("\nstate="), std::string::npos) << saved;
    Capture c = ReadCapture();
    const double original = LeftHz(c, beforeDrag - 4800, beforeDrag);
    const double dragged = LeftHz(c, c.end - 9600, c.end - 4800);
    ASSERT_GT(std::fabs(dragged - original), 5.0);

    std::remove(capturePath.c_str());
    ASSERT_TRUE(Start({}));
    kill(pid, SIGTERM);
    ASSERT_EQ(Finish(), 0) << err;
    ExpectCleanHostReport();
    c = ReadCapture();
    ASSERT_GT(c.end - c.onset, 4800);
    EXPECT_NEAR(LeftHz(c, c.onset + 2400, c.end - 2400), dragged, 0.5);

    std::remove(capturePath.c_str());
    ASSERT_TRUE(Start(PlainSine({"--fresh"})));
    ASSERT_EQ(Close(), 0) << err;
    c = ReadCapture();
    EXPECT_NEAR(LeftHz(c, c.onset + 2400, c.end - 2400), original, 0.5);
}

// Garbage in the settings file: the program says so once, moves the file
// aside and plays from the defaults.
TEST_F(PlayerWindow, SetsADamagedSettingsFileAside)
{
    ASSERT_EQ(std::system(("mkdir -p " + Quote(dir + "/config/toneloom")).c_str()), 0);
    const std::string garbage = "\x01\x02 not a settings file\nstate=zz\n";
    FILE* file = std::fopen(settingsPath.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs(garbage.c_str(), file);
    std::fclose(file);
    ASSERT_TRUE(Start({}));
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> shown = window->Capture(&width, &height);
    EXPECT_GT(WarningPixels(shown, width), 0) << "the strip does not say so";
    EXPECT_EQ(Close(), 0) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("player.conf.damaged"), std::string::npos) << err;
    EXPECT_EQ(Slurp(settingsPath + ".damaged"), garbage);
    EXPECT_EQ(Slurp(settingsPath).rfind(kSettingsHeader, 0), 0u);
    EXPECT_GT(ReadCapture().onset, 0);
}

// With no display the program says so in one line and plays in the terminal.
TEST_F(PlayerWindow, PlaysInTheTerminalWithoutADisplay)
{
    const Outcome o = RunCommand(
        "env -u DISPLAY " + environment + Quote(TONELOOM_PLAY_PATH),
        {"--plugin", TONELOOM_BUNDLE_PATH, "--device", "toneloom_capture", "--seconds", "1"});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.err.rfind("toneloom-play: ", 0), 0u) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_NE(o.err.find("no display"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("playing in the terminal"), std::string::npos) << o.err;
    EXPECT_NE(o.out.find("played 0:01"), std::string::npos) << o.out;
    const Capture c = ReadCapture();
    EXPECT_NEAR(c.end - c.onset, kPlayRate, 2 * 256);
}

} // namespace toneloom::test
