// A host context menu that holds no items of its own and records where it
// was popped up, in the RecordingComponentHandler that made it.
#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"

namespace toneloom::host {

class RecordingComponentHandler;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor" // COM-style interfaces end through release()

class RecordingContextMenu : public Steinberg::FObject, public Steinberg::Vst::IContextMenu
{
public:
    // `paramId`: the parameter the menu was made for.
    RecordingContextMenu(RecordingComponentHandler* owner, Steinberg::Vst::ParamID paramId);
    ~RecordingContextMenu() override;
    RecordingContextMenu(const RecordingContextMenu&) = delete;
    RecordingContextMenu& operator=(const RecordingContextMenu&) = delete;

    Steinberg::int32 PLUGIN_API getItemCount() override { return 0; }
    Steinberg::tresult PLUGIN_API getItem(Steinberg::int32 index, Item& item,
                                          Steinberg::Vst::IContextMenuTarget** target) override;
    Steinberg::tresult PLUGIN_API addItem(const Item& item,
                                          Steinberg::Vst::IContextMenuTarget* target) override;
    Steinberg::tresult PLUGIN_API removeItem(const Item& item,
                                             Steinberg::Vst::IContextMenuTarget* target) override;
    Steinberg::tresult PLUGIN_API popup(Steinberg::UCoord x, Steinberg::UCoord y) override;

    OBJ_METHODS(RecordingContextMenu, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(IContextMenu)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    RecordingComponentHandler* owner; // holds a reference
    Steinberg::Vst::ParamID paramId;
};

#pragma GCC diagnostic pop

} // namespace toneloom::host
