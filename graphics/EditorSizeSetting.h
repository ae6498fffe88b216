// The editor size a user picked from the panel's menu (100 %, 125 %, 150 %,
// 200 %), remembered for every later editor in the user's config folder
// (UserConfig), file "editor.conf", as the line "size=150". A file that
// says anything else is ignored, and replaced at the next pick.
//
// [UI thread]
#pragma once

namespace toneloom {

class EditorSizeSetting
{
public:
    static constexpr int kChoices[] = {100, 125, 150, 200}; // percent
    static constexpr int kChoiceCount = 4;
    static constexpr const char* kFileName = "editor.conf";

    // The remembered size in percent, 0 when none (or none readable).
    static int Load();
    // Remembers `percent` (one of kChoices); false when it is not one or
    // the file cannot be written.
    static bool Save(int percent);
    // The size in a file's text, 0 when the text is not exactly one line
    // "size=N" with N one of kChoices (a line end and spaces around allowed).
    static int Parse(const char* text);
};

} // namespace toneloom
