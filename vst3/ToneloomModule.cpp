// The module's factory entry point: the factory information, the one class
// it offers, and the creation function with its module-wide lock.
#include "CPluginFactory.h"
#include "EffectInstance.h"
#include "IEffectVST3.h"
#include "ToneloomVersion.h"
#include "Vst3Ids.h"

#include "pluginterfaces/base/fplatform.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"

#include <cstring>
#include <mutex>
#include <new>

namespace toneloom {

namespace {

using namespace Steinberg;

constexpr const char* kVendorName = "Orvanta";
constexpr const char* kVendorUrl = "https://orvanta.example";
constexpr const char* kVendorEmail = "";
constexpr const char* kClassName = "Toneloom";
// The release version, not derived from the plug-in's version code.
constexpr const char* kClassVersion = TONELOOM_VERSION_STRING;
constexpr const char* kSdkVersionText = "VST 3.6.5";

// Serialises the construction of instances; made on first use, destroyed
// when the module is unloaded.
std::mutex& CreationLock()
{
    static std::mutex lock;
    return lock;
}

std::mutex& FactoryLock()
{
    static std::mutex lock;
    return lock;
}

CPluginFactory* cachedFactory = nullptr; // guarded by FactoryLock

const PFactoryInfo& FactoryInformation()
{
    static PFactoryInfo info;
    static std::once_flag filled;
    std::call_once(filled, [] {
        info = PFactoryInfo(kVendorName, kVendorUrl, kVendorEmail, PFactoryInfo::kUnicode);
    });
    return info;
}

const PClassInfo2& ClassInformation()
{
    static PClassInfo2 info;
    static std::once_flag filled;
    std::call_once(filled, [] {
        TUID cid;
        std::memcpy(cid, kToneloomClassIdBytes.data(), sizeof cid);
        info = PClassInfo2(cid, PClassInfo::kManyInstances, kVstAudioEffectClass, kClassName,
                           Vst::kSimpleModeSupported, Vst::PlugType::kFx, "", kClassVersion,
                           kSdkVersionText);
    });
    return info;
}

// [any thread] One new instance with one reference, owned by the caller.
FUnknown* CreateInstance(void*)
{
    std::lock_guard<std::mutex> lock(CreationLock());
    IEffectVST3* effect = nullptr;
    try {
        effect = NewEffectInstance();
    } catch (...) {
        effect = nullptr;
    }
    if (effect == nullptr) {
        return nullptr;
    }
    return static_cast<Vst::IAudioProcessor*>(effect);
}

} // namespace

} // namespace toneloom

// [main thread] The factory, with one more reference for the caller.
SMTG_EXPORT_SYMBOL Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory()
{
    using namespace toneloom;
    std::lock_guard<std::mutex> lock(FactoryLock());
    if (cachedFactory != nullptr) {
        cachedFactory->addRef();
        return cachedFactory;
    }
    try {
        auto* factory = new CPluginFactory(FactoryInformation());
        if (!factory->registerClass(&ClassInformation(), CreateInstance, nullptr)) {
            factory->release();
            return nullptr;
        }
        factory->SetCacheSlot(&cachedFactory);
        cachedFactory = factory;
        return factory;
    } catch (...) {
        return nullptr;
    }
}
