// Where toneloom-render finds the Toneloom.vst3 bundle when no --plugin names
// it: beside the program (a build tree, the Windows zip), then where the
// packages install it and VST 3 hosts look.
#pragma once

#include <string>
#include <vector>

namespace toneloom {

// The folders a search starts from. Tests make their own.
struct BundlePlaces
{
    std::string programFolder;     // the running program's folder; "" when unknown
    std::string homeFolder;        // Linux: the user's home; "" when unknown
    std::string commonFilesFolder; // Windows: the 64-bit Program Files\Common Files
};

// The places of the running program, user and system.
BundlePlaces ThisSystemsBundlePlaces();

// The paths to try, in order, without repeats. On Linux:
//   <program folder>/Toneloom.vst3
//   <program folder>/../lib/vst3/Toneloom.vst3 (the package's /usr/bin and
//       /usr/lib/vst3, also when unpacked under another root)
//   ~/.vst3/Toneloom.vst3, /usr/lib/vst3/Toneloom.vst3,
//   /usr/local/lib/vst3/Toneloom.vst3 (where Linux hosts look)
// On Windows:
//   <program folder>\Toneloom.vst3
//   <Common Files>\VST3\Toneloom.vst3 (where the installer puts it)
std::vector<std::string> BundleCandidates(const BundlePlaces& places);

// The first candidate that exists. "" when none does, with *error saying
// where it looked and that --plugin names another place.
std::string FindBundle(const std::vector<std::string>& candidates, std::string* error);

} // namespace toneloom
