// The module's class factory: IPluginFactory, 2 and 3, serving class
// information in version 2 and in UTF-16, and creating instances through a
// registered creation function. The SDK subset we build on does not ship
// this class; this is our own, written from the VST 3 interfaces.
//
// Threads: [any thread]; registration happens once, before the factory is
// handed to the host.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"

#include <atomic>
#include <vector>

namespace toneloom {

// VST 3 interfaces are COM-style: they have no virtual destructor and their
// objects end through release(), never through delete on an interface
// pointer. GCC's non-virtual-dtor check would flag every implementation.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class CPluginFactory : public Steinberg::IPluginFactory3
{
public:
    // Makes one new object with one reference, or returns null.
    using CreateFunction = Steinberg::FUnknown* (*)(void* context);

    explicit CPluginFactory(const Steinberg::PFactoryInfo& info);
    virtual ~CPluginFactory();
    CPluginFactory(const CPluginFactory&) = delete;
    CPluginFactory& operator=(const CPluginFactory&) = delete;

    // Adds a class; false when it could not be stored.
    bool registerClass(const Steinberg::PClassInfo2* info, CreateFunction create,
                       void* context = nullptr);
    // The pointer that the module caches; cleared here when the last reference goes.
    void SetCacheSlot(CPluginFactory** slot) { cacheSlot = slot; }

    // FUnknown
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override;
    Steinberg::uint32 PLUGIN_API release() override;

    // IPluginFactory
    Steinberg::tresult PLUGIN_API getFactoryInfo(Steinberg::PFactoryInfo* info) override;
    Steinberg::int32 PLUGIN_API countClasses() override;
    Steinberg::tresult PLUGIN_API getClassInfo(Steinberg::int32 index,
                                               Steinberg::PClassInfo* info) override;
    // Creates the class `cid` and hands out its interface `iid`. Creation
    // errors come back as results (kOutOfMemory, kNoInterface), never as
    // exceptions.
    Steinberg::tresult PLUGIN_API createInstance(Steinberg::FIDString cid, Steinberg::FIDString iid,
                                                 void** obj) override;
    // IPluginFactory2
    Steinberg::tresult PLUGIN_API getClassInfo2(Steinberg::int32 index,
                                                Steinberg::PClassInfo2* info) override;
    // IPluginFactory3
    Steinberg::tresult PLUGIN_API getClassInfoUnicode(Steinberg::int32 index,
                                                      Steinberg::PClassInfoW* info) override;
    Steinberg::tresult PLUGIN_API setHostContext(Steinberg::FUnknown* context) override;

private:
    struct ClassEntry
    {
        Steinberg::PClassInfo2 info;
        CreateFunction create;
        void* context;
    };
#pragma GCC diagnostic pop
    const ClassEntry* EntryAt(Steinberg::int32 index) const;

    Steinberg::PFactoryInfo factoryInfo;
    std::vector<ClassEntry> classes;
    std::atomic<Steinberg::uint32> refCount{1};
    CPluginFactory** cacheSlot = nullptr;
};

} // namespace toneloom
