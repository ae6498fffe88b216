// A component handler that records what the plug-in tells its host: edit
// gestures (begin, perform, end), restart requests, dirty marks and context
// menus that were popped up. Safe to call from any thread.
//
// It can also stand for a host that holds a lock of its own around its calls
// into the plug-in and takes the same lock in every handler call, as Ardour
// 7.3 does with a lock that is not recursive: a call back from inside such a
// call would hang that host for good. Here it is counted instead, and
// answered kResultFalse.
#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
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

    // Runs `call` (a call into the plug-in) with the host's lock held.
    template <typename Call> auto Locked(Call&& call) -> decltype(call())
    {
        std::lock_guard<std::mutex> hold(hostLock);
        const HolderMark mark(lockHolder);
        return call();
    }
    // Handler calls made while the calling thread held the host's lock.
    int CallsInsideHostCalls() const { return callsInsideHostCalls.load(); }
    // What the host does on a restart request, after recording it (a host
    // that caches values reads them all again here). Set it before use.
    void OnRestart(std::function<void(Steinberg::int32 flags)> reaction)
    {
        restartReaction = std::move(reaction);
    }

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
    struct HolderMark
    {
        explicit HolderMark(std::atomic<std::thread::id>& markedHolder) : holder(markedHolder)
        {
            holder.store(std::this_thread::get_id());
        }
        ~HolderMark() { holder.store(std::thread::id()); }
        std::atomic<std::thread::id>& holder;
    };
    // Takes the host's lock for a handler call, as the host would; false
    // (and counted) when this thread holds it already.
    bool EnterHandler();

    mutable std::mutex eventsMutex;
    std::vector<HandlerEvent> events;
    std::mutex hostLock;
    std::atomic<std::thread::id> lockHolder{};
    std::atomic<int> callsInsideHostCalls{0};
    std::function<void(Steinberg::int32 flags)> restartReaction;
};

#pragma GCC diagnostic pop

} // namespace toneloom::host
