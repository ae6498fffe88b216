// Session schedules as users write them: times in every form, comments,
// quotes, ramps, and each mistake reported with its file and line.
#include "Schedule.h"
#include "RenderSession.h"

#include <gtest/gtest.h>

#include <string>

using namespace toneloom;

namespace {

constexpr int kSampleRate = 48000; // Hz

struct TimeCase
{
    const char* name;
    const char* text;
    double seconds; // < 0: must be refused
};

class ScheduleTime : public ::testing::TestWithParam<TimeCase>
{
};

TEST_P(ScheduleTime, ReadsSecondsMinutesAndHours)
{
    double seconds = -1.0;
    const bool read = ParseScheduleTime(GetParam().text, &seconds);
    if (GetParam().seconds < 0.0) {
        EXPECT_FALSE(read) << GetParam().text << " read as " << seconds;
    } else {
        ASSERT_TRUE(read) << GetParam().text;
        EXPECT_DOUBLE_EQ(seconds, GetParam().seconds);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ScheduleTime,
    ::testing::Values(
        TimeCase{"Seconds", "90", 90.0}, TimeCase{"SecondsFraction", "12.5", 12.5},
        TimeCase{"MinutesSeconds", "5:00", 300.0}, TimeCase{"MinutesFraction", "0:07.25", 7.25},
        TimeCase{"ManyMinutes", "90:30", 5430.0}, TimeCase{"Hours", "1:02:03", 3723.0},
        TimeCase{"HoursFraction", "2:00:00.5", 7200.5}, TimeCase{"OneDigitSeconds", "5:7", -1.0},
        TimeCase{"SixtySeconds", "1:60", -1.0}, TimeCase{"SixtyMinutes", "1:60:00", -1.0},
        TimeCase{"FourParts", "1:2:03:04", -1.0}, TimeCase{"Negative", "-3", -1.0},
        TimeCase{"Word", "soon", -1.0}, TimeCase{"TwoDots", "1.2.3", -1.0},
        TimeCase{"FractionInMinutes", "1.5:00", -1.0}, TimeCase{"Empty", "", -1.0},
        TimeCase{"TrailingColon", "5:", -1.0}),
    [](const ::testing::TestParamInfo<TimeCase>& time) { return std::string(time.param.name); });

class ScheduleText : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(session.Open(TONELOOM_BUNDLE_PATH, kSampleRate, 512, &error)) << error;
    }

    // The schedule, or "" and the error.
    std::string Parse(const std::string& text)
    {
        std::string error;
        const PresetFinder find = [this](const std::string& name, int* slot, std::string* why) {
            return session.FindPreset(name, slot, why);
        };
        if (!ParseSchedule(text, "night.txt", session.Parameters(), find, kSampleRate, &schedule,
                           &error)) {
            return error;
        }
        return "";
    }

    RenderSession session;
    Schedule schedule;
};

} // namespace

TEST_F(ScheduleText, ReadsTheExampleSession)
{
    ASSERT_EQ(Parse("# 30 minutes from beta to theta\n"
                    "0:00     preset \"Binaural - 10.0 (Manipura chakra)\"\n"
                    "0:00     Binaural=14\n"
                    "\n"
                    "5:00     Binaural=10    ramp\n"
                    "20:00    Binaural=6     ramp   # theta\n"
                    "29:00    Volume=90\r\n"
                    "30:00    Volume=0       ramp\n"),
              "");
    ASSERT_EQ(schedule.lines.size(), 6u);
    const ScheduleLine& preset = schedule.lines[0];
    EXPECT_TRUE(preset.isPreset);
    EXPECT_EQ(session.PresetNames()[preset.presetSlot], "Binaural - 10.0 (Manipura chakra)");
    EXPECT_EQ(schedule.lines[1].lineNumber, 3);
    EXPECT_DOUBLE_EQ(schedule.lines[1].plain, 14.0);
    EXPECT_FALSE(schedule.lines[1].ramp);

    const ScheduleLine& theta = schedule.lines[3];
    EXPECT_EQ(theta.lineNumber, 6);
    EXPECT_TRUE(theta.ramp);
    EXPECT_EQ(theta.frame, 20 * 60 * kSampleRate);
    EXPECT_EQ(theta.rampFromFrame, 5 * 60 * kSampleRate); // from the line before for "Binaural"
    EXPECT_DOUBLE_EQ(theta.rampFromPlain, 10.0);
    EXPECT_DOUBLE_EQ(theta.plain, 6.0);

    const ScheduleLine& fade = schedule.lines[5];
    EXPECT_EQ(fade.rampFromFrame, 29 * 60 * kSampleRate);
    EXPECT_DOUBLE_EQ(fade.rampFromPlain, 90.0);
    EXPECT_DOUBLE_EQ(schedule.lastSeconds, 1800.0);
}

TEST_F(ScheduleText, TakesValuesAsSetDoes)
{
    ASSERT_EQ(Parse("\xEF\xBB\xBF" // a byte-order mark, as Windows editors save
                    "0 LFO1 Rate=1/4\n"
                    "0.5 LFO1 Rate=500 ms\n"
                    "1 Wave=Gold. Square\n"
                    "1 \"Beats=Monaural\"\n"
                    "2 preset 11\n"
                    "2.000001 Base Freq = 432 Hz\n"),
              "");
    ASSERT_EQ(schedule.lines.size(), 6u);
    EXPECT_EQ(schedule.lines[0].id, 11u); // the division
    EXPECT_EQ(schedule.lines[1].id, 12u); // the milliseconds
    EXPECT_DOUBLE_EQ(schedule.lines[2].normalised, 1.0);
    EXPECT_EQ(schedule.lines[3].id, 4u);
    EXPECT_EQ(schedule.lines[4].presetSlot, 11);
    EXPECT_EQ(schedule.lines[5].frame, 96000); // rounded to the nearest sample
}

TEST_F(ScheduleText, NamesTheLineOfEachMistake)
{
    const std::string ok = "# header\n0 Binaural=14\n";
    EXPECT_EQ(Parse(ok + "1 Binaurl=3\n"),
              "night.txt:3: unknown parameter \"Binaurl\" (--list-params shows them)");
    EXPECT_EQ(Parse(ok + "1 Volume=150\n"), "night.txt:3: \"Volume\" takes 0 to 100 %, not 150");
    EXPECT_EQ(Parse(ok + "\n1:5 Volume=50\n").substr(0, 27), "night.txt:4: bad time '1:5'");
    EXPECT_EQ(Parse("10 Volume=50\n5 Volume=40\n"),
              "night.txt:2: time 5 comes before the line above it (0:10): lines go in time order");
    EXPECT_EQ(Parse(ok + "2 Volume=40 ramp\n"),
              "night.txt:3: a ramp needs an earlier line for \"Volume\" to start from");
    // A program change sets everything: a ramp after it has nothing to start from.
    EXPECT_EQ(Parse(ok + "1 preset 3\n2 Binaural=5 ramp\n"),
              "night.txt:4: a ramp needs an earlier line for \"Binaural\" to start from");
    EXPECT_EQ(Parse(ok + "1 preset Nothing Like It\n"),
              "night.txt:3: unknown preset \"Nothing Like It\" (--list-presets shows them)");
    EXPECT_EQ(Parse(ok + "1 Volume 50\n"),
              "night.txt:3: expected NAME=VALUE or preset NAME, not 'Volume 50'");
    EXPECT_EQ(Parse(ok + "1\n"), "night.txt:3: nothing to change at 1");
    EXPECT_EQ(Parse("25:00:00 Volume=1\n"), "night.txt:1: time 25:00:00 is past 24 hours");
}
