#include "RecordingContextMenu.h"

#include "RecordingComponentHandler.h"

namespace toneloom::host {

using namespace Steinberg;

RecordingContextMenu::RecordingContextMenu(RecordingComponentHandler* newOwner,
                                           Vst::ParamID newParamId)
    : owner(newOwner), paramId(newParamId)
{
    owner->addRef();
}

RecordingContextMenu::~RecordingContextMenu()
{
    owner->release();
}

tresult PLUGIN_API RecordingContextMenu::getItem(int32, Item&, Vst::IContextMenuTarget** target)
{
    if (target != nullptr) {
        *target = nullptr;
    }
    return kResultFalse;
}

tresult PLUGIN_API RecordingContextMenu::addItem(const Item&, Vst::IContextMenuTarget*)
{
    return kResultFalse;
}

tresult PLUGIN_API RecordingContextMenu::removeItem(const Item&, Vst::IContextMenuTarget*)
{
    return kResultFalse;
}

tresult PLUGIN_API RecordingContextMenu::popup(UCoord x, UCoord y)
{
    HandlerEvent event{HandlerEvent::kContextMenuPopup};
    event.id = paramId;
    event.x = x;
    event.y = y;
    owner->Record(event);
    return kResultOk;
}

} // namespace toneloom::host
