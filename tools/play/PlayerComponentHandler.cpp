#include "PlayerComponentHandler.h"

#include "LivePlayer.h"

using namespace Steinberg;

namespace toneloom {

namespace {

thread_local int callsFromPlugin = 0;

} // namespace

PlayerComponentHandler::FromPlugin::FromPlugin()
{
    ++callsFromPlugin;
}

PlayerComponentHandler::FromPlugin::~FromPlugin()
{
    --callsFromPlugin;
}

int PlayerComponentHandler::CallsFromPlugin()
{
    return callsFromPlugin;
}

tresult PLUGIN_API PlayerComponentHandler::beginEdit(Vst::ParamID /*id*/)
{
    FromPlugin scope;
    ++openGestures;
    return kResultOk;
}

tresult PLUGIN_API PlayerComponentHandler::performEdit(Vst::ParamID id, Vst::ParamValue normalised)
{
    FromPlugin scope;
    if (!(normalised >= 0.0 && normalised <= 1.0)) {
        return kInvalidArgument;
    }
    edited = true;
    if (!player.PushEdit(id, normalised)) {
        ++dropped;
        return kResultFalse;
    }
    return kResultOk;
}

tresult PLUGIN_API PlayerComponentHandler::endEdit(Vst::ParamID /*id*/)
{
    FromPlugin scope;
    if (openGestures.load() > 0) {
        --openGestures;
    }
    return kResultOk;
}

tresult PLUGIN_API PlayerComponentHandler::restartComponent(int32 flags)
{
    FromPlugin scope;
    restartFlags.fetch_or(flags);
    edited = true;
    return kResultOk;
}

tresult PLUGIN_API PlayerComponentHandler::setDirty(TBool state)
{
    FromPlugin scope;
    if (state != 0) {
        edited = true;
    }
    return kResultOk;
}

tresult PLUGIN_API PlayerComponentHandler::requestOpenEditor(FIDString /*name*/)
{
    FromPlugin scope;
    return kResultFalse; // the editor is always open
}

tresult PLUGIN_API PlayerComponentHandler::startGroupEdit()
{
    FromPlugin scope;
    return kResultOk;
}

tresult PLUGIN_API PlayerComponentHandler::finishGroupEdit()
{
    FromPlugin scope;
    return kResultOk;
}

} // namespace toneloom
