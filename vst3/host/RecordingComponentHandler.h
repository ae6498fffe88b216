// A component handler that records what the plug-in tells its host: edit
// gestures (begin, perform, end), restart requests, dirty marks and context
// menus that were popped up. Safe to call from any thread.
#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <mutex>
#include <vector>

namespace toneloom::host {

struct HandlerEvent
{
    enum Kind
    {
        kBeginEdit,
        kPerformEdit,
        kEndEdit,
        kRestart,
        kSetDirty,
        kContextMenuPopup,
    };
    Kind kind;
    Steinberg::Vst::ParamID id = 0;            // edits and context menus
    Steinberg::Vst::ParamValue normalised = 0; // kPerformEdit
    Steinberg::int32 flags = 0;                // kRestart: RestartFlags; kSetDirty: 0 or 1
    Steinberg::int32 x = 0;                    // kContextMenuPopup, view coordinates
    Steinberg::int32 y = 0;
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor" // COM-style interfaces end through release()

class RecordingComponentHandler : public Steinberg::FObject,
                                  public Steinberg::Vst::IComponentHandler,
                                  public Steinberg::Vst::IComponentHandler2,
                                  public Steinberg::Vst::IComponentHandler3
{
public:
    RecordingComponentHandler() = default;
    RecordingComponentHandler(const RecordingComponentHandler&) = delete;
    RecordingComponentHandler& operator=(const RecordingComponentHandler&) = delete;

    // A copy of what was recorded so far, in order.
    std::vector<HandlerEvent> Events() const;
    void Clear();
    // Adds an event (the context menus record their popups here).
    void Record(const HandlerEvent& event);

    // IComponentHandler
    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                              Steinberg::Vst::ParamValue valueNormalized) override;
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;
    // IComponentHandler2
    Steinberg::tresult PLUGIN_API setDirty(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API requestOpenEditor(Steinberg::FIDString name) override;
    Steinberg::tresult PLUGIN_API startGroupEdit() override;
    Steinberg::tresult PLUGIN_API finishGroupEdit() override;
    // IComponentHandler3: a menu that records its popup here.
    Steinberg::Vst::IContextMenu* PLUGIN_API createContextMenu(
        Steinberg::IPlugView* plugView, const Steinberg::Vst::ParamID* paramId) override;

    OBJ_METHODS(RecordingComponentHandler, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(IComponentHandler)
    DEF_INTERFACE(IComponentHandler2)
    DEF_INTERFACE(IComponentHandler3)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    mutable std::mutex eventsMutex;
    std::vector<HandlerEvent> events;
};

#pragma GCC diagnostic pop

} // namespace toneloom::host
