#include "CPluginFactory.h"

#include <cstring>
#include <new>

namespace toneloom {

using namespace Steinberg;

CPluginFactory::CPluginFactory(const PFactoryInfo& info) : factoryInfo(info) {}

CPluginFactory::~CPluginFactory()
{
    if (cacheSlot != nullptr && *cacheSlot == this) {
        *cacheSlot = nullptr;
    }
}

bool CPluginFactory::registerClass(const PClassInfo2* info, CreateFunction create, void* context)
{
    if (info == nullptr || create == nullptr) {
        return false;
    }
    try {
        classes.push_back(ClassEntry{*info, create, context});
    } catch (...) {
        return false;
    }
    return true;
}

tresult PLUGIN_API CPluginFactory::queryInterface(const TUID iid, void** obj)
{
    if (obj == nullptr) {
        return kInvalidArgument;
    }
    if (FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory3::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        addRef();
        *obj = static_cast<IPluginFactory3*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32 PLUGIN_API CPluginFactory::addRef()
{
    return ++refCount;
}

uint32 PLUGIN_API CPluginFactory::release()
{
    const uint32 remaining = --refCount;
    if (remaining == 0) {
        delete this;
    }
    return remaining;
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo(PFactoryInfo* info)
{
    if (info == nullptr) {
        return kInvalidArgument;
    }
    std::memcpy(info, &factoryInfo, sizeof factoryInfo);
    return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses()
{
    return static_cast<int32>(classes.size());
}

const CPluginFactory::ClassEntry* CPluginFactory::EntryAt(int32 index) const
{
    if (index < 0 || index >= static_cast<int32>(classes.size())) {
        return nullptr;
    }
    return &classes[static_cast<size_t>(index)];
}

tresult PLUGIN_API CPluginFactory::getClassInfo(int32 index, PClassInfo* info)
{
    const ClassEntry* entry = EntryAt(index);
    if (info == nullptr || entry == nullptr) {
        return kInvalidArgument;
    }
    *info = {};
    std::memcpy(info->cid, entry->info.cid, sizeof(TUID));
    info->cardinality = entry->info.cardinality;
    std::memcpy(info->category, entry->info.category, sizeof info->category);
    std::memcpy(info->name, entry->info.name, sizeof info->name);
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info)
{
    const ClassEntry* entry = EntryAt(index);
    if (info == nullptr || entry == nullptr) {
        return kInvalidArgument;
    }
    std::memcpy(info, &entry->info, sizeof *info);
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
    const ClassEntry* entry = EntryAt(index);
    if (info == nullptr || entry == nullptr) {
        return kInvalidArgument;
    }
    *info = {};
    info->fromAscii(entry->info);
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance(FIDString cid, FIDString iid, void** obj)
{
    if (cid == nullptr || iid == nullptr || obj == nullptr) {
        return kInvalidArgument;
    }
    *obj = nullptr;
    for (const ClassEntry& entry : classes) {
        if (std::memcmp(entry.info.cid, cid, sizeof(TUID)) != 0) {
            continue;
        }
        FUnknown* instance = nullptr;
        try {
            instance = entry.create(entry.context);
        } catch (...) {
            instance = nullptr;
        }
        if (instance == nullptr) {
            return kOutOfMemory;
        }
        // The creation reference is handed over through queryInterface's own.
        const tresult result = instance->queryInterface(iid, obj);
        instance->release();
        if (result != kResultOk) {
            *obj = nullptr;
        }
        return result;
    }
    return kNoInterface;
}

tresult PLUGIN_API CPluginFactory::setHostContext(FUnknown*)
{
    return kNotImplemented;
}

} // namespace toneloom
