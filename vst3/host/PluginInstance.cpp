#include "PluginInstance.h"

#include "public.sdk/source/common/memorystream.h"

#include <cstring>

namespace toneloom::host {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

template <class Interface> void ReleaseInterface(Interface*& pointer)
{
    if (pointer != nullptr) {
        pointer->release();
        pointer = nullptr;
    }
}

bool StreamToBytes(MemoryStream& stream, std::vector<uint8_t>* bytes)
{
    const auto size = static_cast<size_t>(stream.getSize());
    bytes->assign(size, 0);
    if (size > 0) {
        std::memcpy(bytes->data(), stream.getData(), size);
    }
    return true;
}

} // namespace

PluginInstance::PluginInstance(IPluginFactory* factory, const TUID classId)
{
    if (factory == nullptr) {
        return;
    }
    void* object = nullptr;
    if (factory->createInstance(classId, IComponent::iid, &object) != kResultOk ||
        object == nullptr) {
        return;
    }
    component = static_cast<IComponent*>(object);
    if (component->queryInterface(IAudioProcessor::iid, &object) == kResultOk) {
        processor = static_cast<IAudioProcessor*>(object);
    }
    if (component->queryInterface(IEditController::iid, &object) == kResultOk) {
        controller = static_cast<IEditController*>(object);
    }
    if (component->queryInterface(IUnitInfo::iid, &object) == kResultOk) {
        units = static_cast<IUnitInfo*>(object);
    }
}

PluginInstance::~PluginInstance()
{
    if (active) {
        SetActive(false);
    }
    if (initialized) {
        Terminate();
    }
    ReleaseNow();
}

void PluginInstance::ReleaseNow()
{
    ReleaseInterface(units);
    ReleaseInterface(controller);
    ReleaseInterface(processor);
    ReleaseInterface(component);
    initialized = false;
    active = false;
}

tresult PluginInstance::Initialize(FUnknown* hostContext)
{
    const tresult result = component->initialize(hostContext);
    initialized = initialized || result == kResultOk;
    return result;
}

void PluginInstance::ActivateDefaultBuses()
{
    for (MediaType type : {static_cast<MediaType>(kAudio), static_cast<MediaType>(kEvent)}) {
        for (BusDirection dir :
             {static_cast<BusDirection>(kInput), static_cast<BusDirection>(kOutput)}) {
            const int32 count = component->getBusCount(type, dir);
            for (int32 i = 0; i < count; ++i) {
                BusInfo info{};
                if (component->getBusInfo(type, dir, i, info) == kResultOk &&
                    (info.flags & BusInfo::kDefaultActive) != 0) {
                    component->activateBus(type, dir, i, true);
                }
            }
        }
    }
}

tresult PluginInstance::Setup(double sampleRateHz, int maxBlockFrames, int32 symbolicSampleSize,
                              int32 processMode)
{
    ProcessSetup setup{processMode, symbolicSampleSize, maxBlockFrames, sampleRateHz};
    return processor->setupProcessing(setup);
}

tresult PluginInstance::SetActive(bool newActive)
{
    const tresult result = component->setActive(newActive);
    if (result == kResultOk) {
        active = newActive;
    }
    return result;
}

tresult PluginInstance::Process(ProcessData& data)
{
    return processor->process(data);
}

tresult PluginInstance::Terminate()
{
    initialized = false;
    return component->terminate();
}

bool PluginInstance::SaveState(std::vector<uint8_t>* bytes)
{
    MemoryStream stream;
    if (component->getState(&stream) != kResultOk) {
        return false;
    }
    return StreamToBytes(stream, bytes);
}

namespace {

// A stream that holds `bytes`, positioned at its start.
void FillStream(MemoryStream& stream, const std::vector<uint8_t>& bytes)
{
    int32 written = 0;
    if (!bytes.empty()) {
        stream.write(const_cast<uint8_t*>(bytes.data()), static_cast<int32>(bytes.size()),
                     &written);
    }
    stream.seek(0, IBStream::kIBSeekSet, nullptr);
}

} // namespace

tresult PluginInstance::LoadState(const std::vector<uint8_t>& bytes)
{
    MemoryStream stream;
    FillStream(stream, bytes);
    return component->setState(&stream);
}

tresult PluginInstance::HandComponentStateToController(const std::vector<uint8_t>& bytes)
{
    if (controller == nullptr) {
        return kNoInterface;
    }
    MemoryStream stream;
    FillStream(stream, bytes);
    return controller->setComponentState(&stream);
}

bool PluginInstance::SaveControllerState(std::vector<uint8_t>* bytes)
{
    if (controller == nullptr) {
        return false;
    }
    MemoryStream stream;
    if (controller->getState(&stream) != kResultOk) {
        return false;
    }
    return StreamToBytes(stream, bytes);
}

} // namespace toneloom::host
