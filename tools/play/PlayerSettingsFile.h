// What toneloom-play's window remembers between runs: the plug-in's state
// (its getState bytes), the strip's choices (the device by name, the sample
// rate and buffer size) and where the window was. One small text file in the
// user's Toneloom folder (UserConfig): "player.conf", replaced whole through a
// temporary file and a rename, so a crash or a full disk never leaves half
// of one.
//
// A file that cannot be read as ours (damaged, cut short, or written by
// something else) is moved aside, never read in part and never fatal: the
// program starts from its defaults and says where the old file went.
//
// Threads: [main thread]; no state of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace toneloom {

struct PlayerSettings
{
    std::vector<uint8_t> pluginState; // the component's getState bytes; empty: none
    std::string deviceName;           // "": the system's default output
    int sampleRate = 0;               // Hz; 0: the device's own
    int bufferFrames = 0;             // 0: the player's default
    bool hasPosition = false;         // the window's top-left corner is known
    int windowX = 0;                  // screen pixels
    int windowY = 0;
};

class PlayerSettingsFile
{
public:
    static constexpr const char* kFileName = "player.conf";

    enum class ReadResult
    {
        kMissing, // no file yet (or no folder): the defaults
        kRead,    // `settings` holds what was saved
        kDamaged, // moved aside; `settings` holds the defaults, `warning` says so
    };

    // Reads the file from the user's Toneloom folder.
    static ReadResult Read(PlayerSettings* settings, std::string* warning);
    // Replaces the file; false with a reason when any step failed (the old
    // file is kept then).
    static bool Write(const PlayerSettings& settings, std::string* error);
    // Moves the file aside (as "player.conf.damaged", replacing an older
    // one) when the plug-in refused the state it holds; `warning` says so.
    static void SetAside(const std::string& why, std::string* warning);

    // The file's text, and reading it back: false for anything but a whole
    // file of ours (the settings are then left as they were).
    static std::string Format(const PlayerSettings& settings);
    static bool Parse(const std::string& text, PlayerSettings* settings);
};

} // namespace toneloom
