// The calls the VST 3 interfaces and the plug-in base require but this
// plug-in never uses, in one place, each with the fixed answer hosts get.
#include "IEffectVST3.h"

namespace toneloom {

using namespace Steinberg;
using namespace Steinberg::Vst;

tresult PLUGIN_API IEffectVST3::setKnobMode(KnobMode)
{
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3::openHelp(TBool)
{
    return kResultFalse;
}

tresult PLUGIN_API IEffectVST3::openAboutBox(TBool)
{
    return kResultFalse;
}

tresult PLUGIN_API IEffectVST3::getProgramInfo(ProgramListID, int32, Vst::CString, String128)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::hasProgramPitchNames(ProgramListID, int32)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::getProgramPitchName(ProgramListID, int32, int16, String128)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::selectUnit(UnitID)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::getUnitByBus(MediaType, BusDirection, int32, int32, UnitID&)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::setUnitProgramData(int32, int32, IBStream*)
{
    return kNotImplemented;
}

bool IEffectVST3::SendMidi(const MidiMessage*)
{
    return false;
}

} // namespace toneloom
