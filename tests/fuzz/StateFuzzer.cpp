// Feeds arbitrary bytes to Toneloom's setState, as a host restoring a
// damaged project would, then renders a block and saves the state again.
// Any crash, a non-finite output sample, or a saved state that is not the
// full record of in-range values stops the fuzzer.
#include "CLS_TONELOOM.h"
#include "HostApplication.h"
#include "ProcessDataBuilder.h"

#include "public.sdk/source/common/memorystream.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRate = 48000.0;
constexpr int kBlock = 64;
constexpr int32 kRecordBytes = toneloom::kNumParams * static_cast<int32>(sizeof(double));

struct FuzzHost
{
    FuzzHost()
        : effect(owned(new toneloom::CLS_TONELOOM())),
          application(owned(new toneloom::host::HostApplication("Fuzz Host"))),
          data({2}, {2}, kBlock, kSample32, kRate)
    {
        effect->initialize(application->unknownCast());
        effect->activateBus(kAudio, kInput, 0, true);
        effect->activateBus(kAudio, kOutput, 0, true);
        ProcessSetup setup{kRealtime, kSample32, kBlock, kRate};
        effect->setupProcessing(setup);
        effect->setActive(true);
        data.SetPlaying(true);
    }

    IPtr<toneloom::CLS_TONELOOM> effect;
    IPtr<toneloom::host::HostApplication> application;
    toneloom::host::ProcessDataBuilder data;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static FuzzHost host;
    IComponent* component = host.effect.get();

    MemoryStream input;
    int32 written = 0;
    if (size > 0) {
        input.write(const_cast<uint8_t*>(bytes), static_cast<int32>(size), &written);
    }
    input.seek(0, IBStream::kIBSeekSet, nullptr);
    const tresult result = component->setState(&input);
    if ((result == kResultOk) != (size >= static_cast<size_t>(kRecordBytes))) {
        __builtin_trap();
    }

    host.effect->process(host.data.Block(kBlock));
    for (int c = 0; c < 2; ++c) {
        for (int s = 0; s < kBlock; ++s) {
            if (!std::isfinite(host.data.Output32(0, c)[s])) {
                __builtin_trap();
            }
        }
    }
    host.data.Advance(kBlock);

    MemoryStream output;
    if (component->getState(&output) != kResultOk || output.getSize() != kRecordBytes) {
        __builtin_trap();
    }
    double values[toneloom::kNumParams];
    std::memcpy(values, output.getData(), sizeof values);
    for (int i = 0; i < toneloom::kNumParams; ++i) {
        const toneloom::IParamRecord* param = host.effect->ParamAt(i);
        if (!std::isfinite(values[i]) || values[i] < param->Min() || values[i] > param->Max()) {
            __builtin_trap();
        }
    }
    return 0;
}
