#include "HostApplication.h"

#include "HostText.h"

#include <utility>

namespace toneloom::host {

HostApplication::HostApplication(std::string newName) : name(std::move(newName)) {}

void HostApplication::SetName(const std::string& newName)
{
    std::lock_guard<std::mutex> lock(nameMutex);
    name = newName;
}

Steinberg::tresult PLUGIN_API HostApplication::getName(Steinberg::Vst::String128 text)
{
    if (text == nullptr) {
        return Steinberg::kInvalidArgument;
    }
    std::lock_guard<std::mutex> lock(nameMutex);
    TextToUtf16(name.c_str(), text, kString128Units);
    return Steinberg::kResultOk;
}

Steinberg::tresult PLUGIN_API HostApplication::createInstance(Steinberg::TUID, Steinberg::TUID,
                                                              void** obj)
{
    if (obj != nullptr) {
        *obj = nullptr;
    }
    return Steinberg::kResultFalse;
}

} // namespace toneloom::host
