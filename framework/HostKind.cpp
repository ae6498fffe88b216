#include "HostKind.h"

#include <cctype>
#include <cstring>

namespace toneloom {

namespace {

struct HostFragment
{
    const char* fragment;
    HostKind kind;
};

// Searched in this order: fragments match anywhere, so the first hit decides
// (a name with both "cubase" and "live" in it is Cubase).
constexpr HostFragment kHostFragments[] = {
    {"pulsefieldstudios", kHostPulseField},
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostCakewalk},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFruity},
    {"live", kHostLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVstManLib},
    {"aulab", kHostAuLab},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSawStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigital},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostPresonus},
    {"acoustica", kHostAcoustica},
    {"garageband", kHostGarageBand},
    {"ardour", kHostArdour},
    {"wavelab", kHostWaveLab},
    {"gold", kHostGold},
};

constexpr int kMaxHostNameLength = 255;

} // namespace

HostKind LookupHostKind(const char* name)
{
    char lowered[kMaxHostNameLength + 1] = {};
    if (name != nullptr) {
        for (int i = 0; i < kMaxHostNameLength && name[i] != '\0'; ++i) {
            lowered[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
        }
    }
    for (const HostFragment& entry : kHostFragments) {
        if (std::strstr(lowered, entry.fragment) != nullptr) {
            return entry.kind;
        }
    }
    return kHostUnknown;
}

} // namespace toneloom
