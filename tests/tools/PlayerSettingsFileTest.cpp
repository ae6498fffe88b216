// toneloom-play's settings file in a scratch config folder: what is written
// comes back whole, a file that is not ours is moved aside (never read in
// part), and a failed write keeps the old file.
#include "PlayerSettingsFile.h"
#include "SystemCalls.h"
#include "UserConfig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>


namespace toneloom {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr const char* kConfigVariable = "APPDATA";
#else
constexpr const char* kConfigVariable = "XDG_CONFIG_HOME";
#endif

void SetVariable(const char* name, const std::string& value)
{
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

// A fresh config folder for each test, removed with everything in it.
class PlayerSettingsFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* previous = std::getenv(kConfigVariable);
        previousValue = previous != nullptr ? previous : "";
        root = fs::temp_directory_path() /
               ("toneloom-play-settings-" + std::to_string(ProcessId()));
        fs::remove_all(root);
        fs::create_directories(root);
        SetVariable(kConfigVariable, root.string());
        folder = UserConfig::Folder();
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        SetVariable(kConfigVariable, previousValue);
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    std::string Path(const char* name) const { return folder + name; }
    void Put(const char* name, const std::string& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string Get(const char* name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static PlayerSettings Sample()
    {
        PlayerSettings s;
        for (int i = 0; i < 256; ++i) {
            s.pluginState.push_back(static_cast<uint8_t>(255 - i)); // 0xff .. 0x00
        }
        s.pluginState.push_back(0x00);
        s.deviceName = "USB Audio CODEC: Ausgang (hw:2,0) \xc3\xa4=";
        s.sampleRate = 96000;
        s.bufferFrames = 512;
        s.hasPosition = true;
        s.windowX = -1200;
        s.windowY = 35;
        return s;
    }

    fs::path root;
    std::string folder;
    std::string previousValue;
};

void ExpectSame(const PlayerSettings& a, const PlayerSettings& b)
{
    EXPECT_EQ(a.pluginState, b.pluginState);
    EXPECT_EQ(a.deviceName, b.deviceName);
    EXPECT_EQ(a.sampleRate, b.sampleRate);
    EXPECT_EQ(a.bufferFrames, b.bufferFrames);
    EXPECT_EQ(a.hasPosition, b.hasPosition);
    EXPECT_EQ(a.windowX, b.windowX);
    EXPECT_EQ(a.windowY, b.windowY);
}

TEST_F(PlayerSettingsFileTest, EveryFieldComesBackAsWritten)
{
    PlayerSettings read;
    std::string message;
    EXPECT_EQ(PlayerSettingsFile::Read(&read, &message), PlayerSettingsFile::ReadResult::kMissing);

    const PlayerSettings written = Sample();
    ASSERT_TRUE(PlayerSettingsFile::Write(written, &message)) << message;
    EXPECT_EQ(Get(PlayerSettingsFile::kFileName).rfind("toneloom-play settings 1\n", 0), 0u);
    ASSERT_EQ(PlayerSettingsFile::Read(&read, &message), PlayerSettingsFile::ReadResult::kRead);
    ExpectSame(read, written);

    // The defaults (no device, no state, no window position) too, and keys a
    // later version adds are passed over.
    const PlayerSettings defaults;
    std::string text = PlayerSettingsFile::Format(defaults) + "volume=0.5\n";
    ASSERT_TRUE(PlayerSettingsFile::Parse(text, &read));
    ExpectSame(read, defaults);
}

struct Damage
{
    const char* name;
    std::string bytes;
};

std::string Whole()
{
    PlayerSettings s;
    s.pluginState = {0x00, 0xff, 0x10};
    s.deviceName = "pulse";
    s.sampleRate = 48000;
    s.bufferFrames = 256;
    return PlayerSettingsFile::Format(s);
}

class DamagedSettingsTest : public PlayerSettingsFileTest,
                            public ::testing::WithParamInterface<Damage>
{
};

TEST_P(DamagedSettingsTest, IsMovedAsideAndTheDefaultsResult)
{
    const std::string bytes = GetParam().bytes;
    Put(PlayerSettingsFile::kFileName, bytes);
    PlayerSettings read = Sample();
    std::string warning;
    EXPECT_EQ(PlayerSettingsFile::Read(&read, &warning), PlayerSettingsFile::ReadResult::kDamaged);
    ExpectSame(read, PlayerSettings());
    const std::string aside = Path("player.conf.damaged");
    EXPECT_NE(warning.find(aside), std::string::npos) << warning;
    EXPECT_EQ(warning.find('\n'), std::string::npos);
    EXPECT_FALSE(fs::exists(Path(PlayerSettingsFile::kFileName)));
    EXPECT_EQ(Get("player.conf.damaged"), bytes);
    // The next start finds no file: the defaults, quietly.
    EXPECT_EQ(PlayerSettingsFile::Read(&read, &warning), PlayerSettingsFile::ReadResult::kMissing);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedSettingsTest,
    ::testing::Values(
        Damage{"CutInTheState", Whole().substr(0, Whole().size() - 3)},
        Damage{"CutBeforeTheState", Whole().substr(0, Whole().find("state="))},
        Damage{"Garbage", std::string("\x89PNG\r\n\x1a\n\0\0\xff", 11)},
        Damage{"ForeignFirstLine", "toneloom-play settings 2\n" + Whole().substr(Whole().find('\n') + 1)},
        Damage{"BrokenHex", "toneloom-play settings 1\ndevice=\nsample-rate=0\nbuffer=0\nstate=0g\n"},
        Damage{"OddHex", "toneloom-play settings 1\ndevice=\nsample-rate=0\nbuffer=0\nstate=abc\n"},
        Damage{"RateOutOfRange", "toneloom-play settings 1\ndevice=\nsample-rate=12\nbuffer=0\nstate=\n"},
        Damage{"BufferOutOfRange", "toneloom-play settings 1\ndevice=\nsample-rate=0\nbuffer=99999\nstate=\n"},
        Damage{"WindowNotANumber", "toneloom-play settings 1\ndevice=\nsample-rate=0\nbuffer=0\nwindow=3,x\nstate=\n"},
        Damage{"TooLarge", "toneloom-play settings 1\n" + std::string(70000, 'a')}),
    [](const ::testing::TestParamInfo<Damage>& damage) { return std::string(damage.param.name); });

TEST_F(PlayerSettingsFileTest, AFailedWriteKeepsTheOldFile)
{
    std::string error;
    ASSERT_TRUE(PlayerSettingsFile::Write(Sample(), &error)) << error;
    const std::string old = Get(PlayerSettingsFile::kFileName);

    // The temporary file cannot be made: a folder stands where it goes.
    const std::string temporary =
        Path(PlayerSettingsFile::kFileName) + ".tmp" + std::to_string(ProcessId());
    fs::create_directories(temporary);
    PlayerSettings changed = Sample();
    changed.deviceName = "other";
    EXPECT_FALSE(PlayerSettingsFile::Write(changed, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Get(PlayerSettingsFile::kFileName), old);
    fs::remove(temporary);

    // A state too large for the file to be read back is not written either.
    changed.pluginState.assign(40000, 0xab);
    error.clear();
    EXPECT_FALSE(PlayerSettingsFile::Write(changed, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Get(PlayerSettingsFile::kFileName), old);
}

} // namespace
} // namespace toneloom
