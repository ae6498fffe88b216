// Identification of the running host from its application name.
#pragma once

#include <cstdint>

namespace toneloom {

enum HostKind : int32_t
{
    kHostNotIdentified = -1,
    kHostUnknown = 0,
    kHostReaper = 1,
    kHostCubase = 3,
    kHostNuendo = 4,
    kHostCakewalk = 5,
    kHostFruity = 7,
    kHostSamplitude = 8,
    kHostLive = 9,
    kHostMelodyne = 12,
    kHostVstManLib = 13,
    kHostAuLab = 14,
    kHostForte = 15,
    kHostChainer = 16,
    kHostAudition = 17,
    kHostOrion = 18,
    kHostSawStudio = 20,
    kHostLogic = 21,
    kHostDigital = 22,
    kHostAudioMulch = 23,
    kHostPresonus = 24,
    kHostAcoustica = 25,
    kHostGarageBand = 26,
    kHostArdour = 27,
    kHostWaveLab = 28,
    kHostPulseField = 29,
    kHostGold = 30,
};

// The kind whose name fragment occurs first in the fixed search order, found
// anywhere in the lower-cased name; kHostUnknown when none does (or for null).
HostKind LookupHostKind(const char* name);

} // namespace toneloom
