// The host application object a plug-in receives in initialize: it answers
// with a name that the host sets, and creates no other objects.
#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivsthostapplication.h"

#include <mutex>
#include <string>

namespace toneloom::host {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor" // COM-style interfaces end through release()

class HostApplication : public Steinberg::FObject, public Steinberg::Vst::IHostApplication
{
public:
    explicit HostApplication(std::string name = "Toneloom Test Host");
    HostApplication(const HostApplication&) = delete;
    HostApplication& operator=(const HostApplication&) = delete;

    // [any thread] The name getName reports (UTF-8).
    void SetName(const std::string& newName);

    Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
    // Messages and attribute lists are not offered: kResultFalse.
    Steinberg::tresult PLUGIN_API createInstance(Steinberg::TUID cid, Steinberg::TUID iid,
                                                 void** obj) override;

    OBJ_METHODS(HostApplication, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(IHostApplication)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    std::mutex nameMutex;
    std::string name;
};

#pragma GCC diagnostic pop

} // namespace toneloom::host
