// toneloom-snapshot as a user runs it: the picture it writes, what the
// options change in it, and its errors.
#include <gtest/gtest.h>

#include <png.h>

#include "CommandTestSupport.h"
#include "ToneloomVersion.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 470;  // pixels
constexpr int kHeight = 455; // pixels

using toneloom::test::Outcome;
using toneloom::test::Quote;
using toneloom::test::Slurp;

// An RGB picture read back from a PNG file; empty if it does not decode.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    bool Valid() const { return width > 0; }
    const unsigned char* At(int x, int y) const
    {
        return rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
    }
    // Pixels inside (left, top)-(right, bottom), right and bottom exclusive,
    // that differ from `other`.
    int Differences(const Picture& other, int left, int top, int right, int bottom) const
    {
        int count = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                count += std::memcmp(At(x, y), other.At(x, y), 3) != 0 ? 1 : 0;
            }
        }
        return count;
    }
    int DifferencesOutside(const Picture& other, int left, int top, int right, int bottom) const
    {
        return Differences(other, 0, 0, width, height) -
               Differences(other, left, top, right, bottom);
    }
};

Picture ReadPng(const std::string& path)
{
    Picture picture;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return picture;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return picture;
    }
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgb = std::move(rgb);
    return picture;
}

class SnapshotCommand : public toneloom::test::CommandTest
{
protected:
    SnapshotCommand() : CommandTest("toneloom-snapshot-test") {}

    Outcome Run(const std::vector<std::string>& args)
    {
        // Sanitizer builds: no summary of the (expected) fontconfig leak
        // suppression after the program's own output.
        return RunCommand("LSAN_OPTIONS=\"${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0\" " +
                              Quote(TONELOOM_SNAPSHOT_PATH),
                          args);
    }

    // The picture the options give, or an empty one when the run failed.
    Picture Snap(std::vector<std::string> args, const std::string& name = "snap.png")
    {
        const std::string path = dir + "/" + name;
        args.push_back("--out");
        args.push_back(path);
        const Outcome outcome = Run(args);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_EQ(outcome.out, path + "\n");
        return ReadPng(path);
    }

    // One line on stderr that starts with the program's name.
    static void ExpectOneLineError(const Outcome& outcome, const std::string& part)
    {
        EXPECT_EQ(outcome.err.rfind("toneloom-snapshot: ", 0), 0u) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        EXPECT_NE(outcome.err.find(part), std::string::npos) << outcome.err;
        EXPECT_TRUE(outcome.out.empty()) << outcome.out;
    }
};

TEST_F(SnapshotCommand, WritesTheWholeEditor)
{
    const Picture picture = Snap({});
    ASSERT_TRUE(picture.Valid());
    EXPECT_EQ(picture.width, kWidth);
    EXPECT_EQ(picture.height, kHeight);
    // A dark panel, not an empty or white page.
    long sum = 0;
    for (unsigned char channel : picture.rgb) {
        sum += channel;
    }
    const double mean = double(sum) / picture.rgb.size();
    EXPECT_GT(mean, 10.0);
    EXPECT_LT(mean, 128.0);
    // Equal options, equal pictures.
    const Picture again = Snap({}, "again.png");
    EXPECT_EQ(picture.rgb, again.rgb);
}

TEST_F(SnapshotCommand, SettingsChangeOnlyWhatShowsThem)
{
    const Picture plain = Snap({}, "plain.png");
    // The lit monaural face over the "Beats" switch (370, 185)-(449, 208).
    const Picture monaural = Snap({"--set", "Beats=Monaural"}, "monaural.png");
    ASSERT_TRUE(plain.Valid() && monaural.Valid());
    EXPECT_GT(monaural.Differences(plain, 370, 185, 449, 208), 200);
    EXPECT_EQ(monaural.DifferencesOutside(plain, 370, 185, 449, 208), 0);
    // A preset turns the knobs and renames the band: "Binaural - 0.2 ..." is epsilon.
    const Picture preset = Snap({"--preset", "12"}, "preset.png");
    EXPECT_GT(preset.Differences(plain, 98, 91, 156, 169), 50);   // "Binaural" knob
    EXPECT_GT(preset.Differences(plain, 216, 200, 300, 215), 20); // band label
    EXPECT_EQ(preset.Differences(plain, 139, 15, 331, 62), 0);    // title plate
}

TEST_F(SnapshotCommand, MouseInputReachesTheControlsInOrder)
{
    const Picture plain = Snap({}, "plain.png");
    // A left click opens LFO 1's target list (90 x 91 at (84, 316)).
    const Picture list = Snap({"--click", "120,308"}, "list.png");
    ASSERT_TRUE(list.Valid());
    EXPECT_GT(list.Differences(plain, 84, 316, 174, 407), 1000);
    // Choosing its second entry ("Base Freq") closes it again.
    const Picture chosen = Snap({"--click", "120,308", "--click", "120,345"}, "chosen.png");
    EXPECT_EQ(chosen.Differences(plain, 84, 318, 174, 340), 0);
    EXPECT_GT(chosen.Differences(plain, 84, 299, 170, 317), 20);
    // A right click on "Wave" opens its list of shapes, somewhere over the right side.
    const Picture shapes = Snap({"--right-click", "410,120"}, "shapes.png");
    EXPECT_GT(shapes.Differences(plain, 300, 0, kWidth, kHeight), 2000);
    // Dragging "Base Freq" up turns it and changes its value text.
    const Picture dragged = Snap({"--drag", "53,120,0,-60"}, "dragged.png");
    EXPECT_GT(dragged.Differences(plain, 21, 91, 85, 169), 50);
    EXPECT_EQ(dragged.Differences(plain, 250, 250, kWidth, kHeight), 0);
}

TEST_F(SnapshotCommand, PlayingMovesTheLfoMarkers)
{
    // LFO 1 swings "Binaural Pan" fully, once a second.
    const std::vector<std::string> lfo = {
        "--set", "LFO1 Target=Binaural Pan", "--set", "LFO1 Depth=100", "--set", "LFO1 Sync=No",
        "--set", "LFO1 Rate=1000",           "--set", "Play Anyway=Yes"};
    std::vector<std::string> early = lfo;
    early.insert(early.end(), {"--play-seconds", "0.1"});
    std::vector<std::string> later = lfo;
    later.insert(later.end(), {"--play-seconds", "0.6"}); // the other side
    const Picture a = Snap(early, "early.png");
    const Picture b = Snap(later, "later.png");
    ASSERT_TRUE(a.Valid() && b.Valid());
    // Only the marker row of LFO 1's panel differs.
    EXPECT_GT(a.Differences(b, 22, 408, 223, 410), 4);
    EXPECT_EQ(a.DifferencesOutside(b, 22, 408, 223, 410), 0);
}

TEST_F(SnapshotCommand, BadInputFailsWithOneLineAndNoFile)
{
    struct Case
    {
        std::vector<std::string> args;
        int exitCode;
        const char* says;
    };
    const std::string out = dir + "/out.png";
    const Case cases[] = {
        {{"--preset", "No Such Preset", "--out", out}, 1, "unknown preset"},
        {{"--preset", "999", "--out", out}, 1, "no preset slot 999"},
        {{"--set", "Nope=1", "--out", out}, 1, "Nope"},
        {{"--set", "Base Freq=99999", "--out", out}, 1, "Base Freq"},
        {{"--click", "500,10", "--out", out}, 2, "outside the 470 x 455 editor"},
        {{"--drag", "10,10,5", "--out", out}, 2, "X,Y,DX,DY"},
        {{"--right-click", "ten,10", "--out", out}, 2, "X,Y"},
        {{"--out", dir + "/out.txt"}, 2, ".png"},
        {{}, 2, "--out"},
        {{"--play-seconds", "-1", "--out", out}, 2, "play-seconds"},
        {{"--out", dir + "/missing/out.png"}, 1, "cannot write"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = Run(c.args);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.args[0] << ": " << outcome.err;
        ExpectOneLineError(outcome, c.says);
        EXPECT_TRUE(Files().empty()) << c.args[0];
    }
}

TEST_F(SnapshotCommand, FailureLeavesAnExistingPictureAlone)
{
    const std::string path = dir + "/keep.png";
    ASSERT_EQ(Run({"--out", path}).exitCode, 0);
    const std::string before = Slurp(path);
    const Outcome outcome = Run({"--preset", "No Such Preset", "--out", path});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(Slurp(path), before);
    EXPECT_EQ(Files(), std::vector<std::string>{"keep.png"});
}

TEST_F(SnapshotCommand, HelpVersionAndListsNeedNoPicture)
{
    const Outcome version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("toneloom-snapshot ") + TONELOOM_VERSION_STRING + "\n");
    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--right-click"), std::string::npos);
    const Outcome presets = Run({"--list-presets"});
    EXPECT_EQ(presets.exitCode, 0);
    EXPECT_NE(presets.out.find("Solfeggio MI - 528 Hz LFO"), std::string::npos);
    const Outcome params = Run({"--list-params"});
    EXPECT_EQ(params.exitCode, 0);
    EXPECT_NE(params.out.find("LFO2 Rate"), std::string::npos);
    EXPECT_TRUE(Files().empty());
}

} // namespace
