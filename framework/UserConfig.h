// The user's own Toneloom files: $XDG_CONFIG_HOME/toneloom/ (by default
// ~/.config/toneloom/) on Linux, %APPDATA%\Toneloom\ on Windows. Small text
// files, read whole and replaced whole: a write goes to a temporary file in
// the same folder that is then renamed over the old one, so a reader never
// sees half a file and a failed write leaves the old one.
//
// [any thread] No state of its own; files are the only thing shared.
#pragma once

#include <cstddef>
#include <string>

namespace toneloom {

class UserConfig
{
public:
    // The folder, ending in its separator; "" when the environment names no
    // home for it.
    static std::string Folder();
    // The whole of file `name` in the folder; false when it is missing,
    // unreadable or longer than `maxBytes`.
    static bool Read(const char* name, std::string* text, size_t maxBytes = 4096);
    // Replaces file `name` with `text`, making the folder when needed;
    // false (the old file kept) when any step fails.
    static bool Write(const char* name, const std::string& text);
};

} // namespace toneloom
