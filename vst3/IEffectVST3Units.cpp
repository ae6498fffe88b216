// Units and the program list "Factory Presets".
#include "IEffectVST3.h"

#include "HostText.h"
#include "Vst3Ids.h"

namespace toneloom {

using namespace Steinberg;
using namespace Steinberg::Vst;

// Units and the program list.

int32 PLUGIN_API IEffectVST3::getUnitCount()
{
    return 1 + ParamGroups().Length();
}

tresult PLUGIN_API IEffectVST3::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
    if (unitIndex == 0) {
        info.id = kRootUnitId;
        info.parentUnitId = kNoParentUnitId;
        TextToUtf16("Root Unit", info.name, kString128Units);
        info.programListId =
            PresetCount() > 0 ? static_cast<ProgramListID>(kPresetParamId) : kNoProgramListId;
        return kResultOk;
    }
    if (unitIndex >= 1 && unitIndex <= ParamGroups().Length()) {
        info.id = unitIndex;
        info.parentUnitId = kRootUnitId;
        TextToUtf16(ParamGroups().Get(unitIndex - 1), info.name, kString128Units);
        info.programListId = kNoProgramListId;
        return kResultOk;
    }
    return kResultFalse;
}

int32 PLUGIN_API IEffectVST3::getProgramListCount()
{
    return PresetCount() > 0 ? 1 : 0;
}

tresult PLUGIN_API IEffectVST3::getProgramListInfo(int32 listIndex, ProgramListInfo& info)
{
    if (listIndex != 0 || PresetCount() < 1) {
        return kResultFalse;
    }
    info.id = static_cast<ProgramListID>(kPresetParamId);
    TextToUtf16("Factory Presets", info.name, kString128Units);
    info.programCount = PresetCount();
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3::getProgramName(ProgramListID listId, int32 programIndex,
                                               String128 name)
{
    if (listId != static_cast<ProgramListID>(kPresetParamId) || name == nullptr ||
        programIndex < 0 || programIndex >= PresetCount()) {
        return kResultFalse;
    }
    // Selecting a never-filled slot renames it, from either thread.
    InstanceLock lock(Mutex());
    TextToUtf16(PresetName(programIndex), name, kString128Units);
    return kResultOk;
}

UnitID PLUGIN_API IEffectVST3::getSelectedUnit()
{
    return kRootUnitId;
}

} // namespace toneloom
