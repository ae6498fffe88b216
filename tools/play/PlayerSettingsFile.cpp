#include "PlayerSettingsFile.h"

#include "AudioDevice.h"
#include "SystemCalls.h"
#include "UserConfig.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace toneloom {

namespace {

constexpr const char* kFirstLine = "toneloom-play settings 1";
constexpr const char* kDamagedName = "player.conf.damaged";
// The whole file, state included. The plug-in's state is a few hundred
// bytes; this leaves it room to grow and keeps a stray huge file from being
// read into memory.
constexpr size_t kMaxFileBytes = 64 * 1024;
// The sample rates a file may name, Hz (0: the device's own).
constexpr long kLowestRate = 8000;
constexpr long kHighestRate = 768000;
// Window corners, screen pixels: room for any arrangement of screens.
constexpr long kMostWindowOffset = 1000000;

// A whole decimal number in [low, high], nothing else.
bool ParseNumber(const std::string& text, long low, long high, long* result)
{
    if (text.empty() || text.size() > 12) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size() || value < low || value > high) {
        return false;
    }
    *result = value;
    return true;
}

// 0 or a number in [low, high].
bool ParseZeroOrRange(const std::string& text, long low, long high, int* result)
{
    long value = 0;
    if (!ParseNumber(text, 0, high, &value) || (value != 0 && value < low)) {
        return false;
    }
    *result = static_cast<int>(value);
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool ParseHex(const std::string& text, std::vector<uint8_t>* bytes)
{
    if (text.size() % 2 != 0) {
        return false;
    }
    std::vector<uint8_t> result;
    result.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        result.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    *bytes = std::move(result);
    return true;
}

bool FileExists(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

} // namespace

std::string PlayerSettingsFile::Format(const PlayerSettings& settings)
{
    // A line break in a device name would end its line early: the name is
    // kept on one line (such a name matches no device next time, which the
    // player handles as a device that is gone).
    std::string device = settings.deviceName;
    for (char& c : device) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    std::string text = std::string(kFirstLine) + "\n";
    text += "device=" + device + "\n";
    text += "sample-rate=" + std::to_string(settings.sampleRate) + "\n";
    text += "buffer=" + std::to_string(settings.bufferFrames) + "\n";
    if (settings.hasPosition) {
        text += "window=" + std::to_string(settings.windowX) + "," +
                std::to_string(settings.windowY) + "\n";
    }
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(settings.pluginState.size() * 2);
    for (uint8_t byte : settings.pluginState) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0xF];
    }
    text += "state=" + hex + "\n";
    return text;
}

bool PlayerSettingsFile::Parse(const std::string& text, PlayerSettings* settings)
{
    if (settings == nullptr) {
        return false;
    }
    PlayerSettings parsed;
    std::set<std::string> seen;
    bool firstLine = true;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        // A file cut short loses its last line break: only whole lines count.
        if (end == std::string::npos) {
            return false;
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (firstLine) {
            if (line != kFirstLine) {
                return false;
            }
            firstLine = false;
            continue;
        }
        if (line.empty()) {
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0) {
            return false;
        }
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (!seen.insert(key).second) {
            return false; // a key twice: not a file this program wrote
        }
        if (key == "device") {
            parsed.deviceName = value;
        } else if (key == "sample-rate") {
            if (!ParseZeroOrRange(value, kLowestRate, kHighestRate, &parsed.sampleRate)) {
                return false;
            }
        } else if (key == "buffer") {
            if (!ParseZeroOrRange(value, AudioDevice::kMinBufferFrames,
                                  AudioDevice::kMaxBufferFrames, &parsed.bufferFrames)) {
                return false;
            }
        } else if (key == "window") {
            const size_t comma = value.find(',');
            long x = 0;
            long y = 0;
            if (comma == std::string::npos ||
                !ParseNumber(value.substr(0, comma), -kMostWindowOffset, kMostWindowOffset, &x) ||
                !ParseNumber(value.substr(comma + 1), -kMostWindowOffset, kMostWindowOffset, &y)) {
                return false;
            }
            parsed.hasPosition = true;
            parsed.windowX = static_cast<int>(x);
            parsed.windowY = static_cast<int>(y);
        } else if (key == "state") {
            if (!ParseHex(value, &parsed.pluginState)) {
                return false;
            }
        }
        // Other keys come from a later version of the player: ignored.
    }
    if (firstLine || seen.count("device") == 0 || seen.count("sample-rate") == 0 ||
        seen.count("buffer") == 0 || seen.count("state") == 0) {
        return false;
    }
    *settings = std::move(parsed);
    return true;
}

PlayerSettingsFile::ReadResult PlayerSettingsFile::Read(PlayerSettings* settings,
                                                         std::string* warning)
{
    *settings = PlayerSettings();
    const std::string folder = UserConfig::Folder();
    if (folder.empty()) {
        return ReadResult::kMissing;
    }
    std::string text;
    if (!UserConfig::Read(kFileName, &text, kMaxFileBytes)) {
        // There but not readable as a whole (too long, or not a file we can
        // open): as good as damaged.
        if (!FileExists(folder + kFileName)) {
            return ReadResult::kMissing;
        }
        SetAside("it could not be read", warning);
        return ReadResult::kDamaged;
    }
    if (!Parse(text, settings)) {
        SetAside("it is damaged or not a settings file of this program", warning);
        return ReadResult::kDamaged;
    }
    return ReadResult::kRead;
}

bool PlayerSettingsFile::Write(const PlayerSettings& settings, std::string* error)
{
    const std::string folder = UserConfig::Folder();
    if (folder.empty()) {
        *error = "there is no folder for the settings (neither XDG_CONFIG_HOME nor HOME is set)";
        return false;
    }
    const std::string text = Format(settings);
    // A file Read would refuse is not written: the old one stays.
    if (text.size() > kMaxFileBytes) {
        *error = "the plug-in's state is too large for the settings file (" +
                 std::to_string(settings.pluginState.size()) + " bytes)";
        return false;
    }
    if (!UserConfig::Write(kFileName, text)) {
        *error = "could not write " + folder + kFileName;
        return false;
    }
    return true;
}

void PlayerSettingsFile::SetAside(const std::string& why, std::string* warning)
{
    const std::string folder = UserConfig::Folder();
    const std::string path = folder + kFileName;
    const std::string aside = folder + kDamagedName;
    if (folder.empty() || !MoveOver(path, aside)) {
        *warning = "the settings file " + path + " was not used (" + why +
                   ") and could not be moved aside; starting from the defaults";
        return;
    }
    *warning = "the settings file " + path + " was not used (" + why + "); it was moved to " +
               aside + " and the player starts from the defaults";
}

} // namespace toneloom
