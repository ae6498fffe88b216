#include "HostKind.h"
#include "TestEffect.h"

#include <gtest/gtest.h>

#include <string>

using namespace toneloom;

TEST(HostKind, NamesMatchFragmentsInOrderIgnoringCase)
{
    struct Case
    {
        const char* name;
        HostKind kind;
    };
    const Case cases[] = {
        {"REAPER", kHostReaper},
        {"Reaper (x64)", kHostReaper},
        {"Cubase LE AI Elements", kHostCubase},
        {"Nuendo", kHostNuendo},
        {"Steinberg Cubase Live", kHostCubase}, // cubase comes before live
        {"Ableton Live 9 Suite", kHostLive},
        {"Studio One", kHostUnknown},
        {"PreSonus Studio One", kHostPresonus},
        {"WaveLab", kHostWaveLab},
        {"Express delivery", kHostLive}, // any "live" matches
        {"PulseFieldStudios Gold", kHostPulseField},
        {"Golden Host", kHostGold},
        {"", kHostUnknown},
        {nullptr, kHostUnknown},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LookupHostKind(c.name), c.kind) << (c.name ? c.name : "(null)");
    }
}

TEST(HostKind, OverlongNamesAreCutAt255Characters)
{
    std::string name(255, 'x');
    EXPECT_EQ(LookupHostKind((name + "reaper").c_str()), kHostUnknown);
    name.replace(249, 6, "reaper");
    EXPECT_EQ(LookupHostKind(name.c_str()), kHostReaper);
}

TEST(HostKind, ThePluginBaseStoresKindAndVersion)
{
    toneloom::testing::TestEffect fx;
    EXPECT_EQ(fx.GetHostKind(), kHostNotIdentified);
    fx.SetHostFromName("WaveLab 11", 0);
    EXPECT_EQ(fx.GetHostKind(), kHostWaveLab);
    EXPECT_EQ(fx.HostVersion(), 0);
}
