// The audio path allocates nothing: every heap allocation made by this
// thread is counted while a process call runs (malloc and operator new are
// replaced in this program, which is why it is built only without
// sanitizers). Also measures the heap one instance holds.
#include "ModuleHost.h"
#include "Vst3Ids.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <new>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void __libc_free(void* pointer);
}

namespace {

thread_local bool countingThisThread = false;
std::atomic<long> countedAllocations{0};

void CountAllocation()
{
    if (countingThisThread) {
        countedAllocations.fetch_add(1, std::memory_order_relaxed);
    }
}

void* AllocateOrThrow(size_t size)
{
    CountAllocation();
    void* pointer = __libc_malloc(size == 0 ? 1 : size);
    if (pointer == nullptr) {
        throw std::bad_alloc();
    }
    return pointer;
}

} // namespace

extern "C" {
void* malloc(size_t size)
{
    CountAllocation();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
    CountAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, size_t size)
{
    CountAllocation();
    return __libc_realloc(pointer, size);
}
void free(void* pointer)
{
    __libc_free(pointer);
}
}

void* operator new(size_t size)
{
    return AllocateOrThrow(size);
}
void* operator new[](size_t size)
{
    return AllocateOrThrow(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    CountAllocation();
    return __libc_malloc(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    CountAllocation();
    return __libc_malloc(size == 0 ? 1 : size);
}
void operator delete(void* pointer) noexcept
{
    __libc_free(pointer);
}
void operator delete[](void* pointer) noexcept
{
    __libc_free(pointer);
}
void operator delete(void* pointer, size_t) noexcept
{
    __libc_free(pointer);
}
void operator delete[](void* pointer, size_t) noexcept
{
    __libc_free(pointer);
}

namespace toneloom::testing {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
constexpr long kBytesPerMiB = 1024 * 1024;

// Allocations made by this thread while `work` runs.
template <class Work> long AllocationsDuring(Work&& work)
{
    countedAllocations = 0;
    countingThisThread = true;
    work();
    countingThisThread = false;
    return countedAllocations.load();
}

TEST(ProcessAllocationTest, CountingSeesAllocationsOfThisThread)
{
    const long counted = AllocationsDuring([] {
        auto* block = new std::vector<int>(100);
        delete block;
        void* raw = std::malloc(64);
        std::free(raw);
    });
    EXPECT_GE(counted, 3);
}

class ProcessAllocationTest : public ::testing::TestWithParam<int32>
{
};

TEST_P(ProcessAllocationTest, ProcessCallsAllocateNothing)
{
    const int32 sampleSize = GetParam();
    HostedPlugin plugin(ToneloomBundle());
    ASSERT_TRUE(plugin.Start(kRate, kBlock, sampleSize));
    auto data = StereoBuilder(4 * kBlock, sampleSize, kRate);
    data->FillInput(0, 0, 0.1);
    data->FillInput(0, 1, -0.1);
    const int params = plugin.ProductParamCount();

    const long allocations = AllocationsDuring([&] {
        for (int block = 0; block < 200; ++block) {
            // Plain blocks, automation of every parameter, program changes
            // (filled and never-filled slots), bypass, and blocks longer than
            // the set-up maximum.
            if (block % 4 == 1) {
                for (int i = 0; i < params; ++i) {
                    data->Changes().Add(static_cast<ParamID>(i), block % 64, (block % 11) / 10.0);
                }
            }
            if (block % 10 == 2) {
                data->Changes().Add(kPresetParamId, 0, (block % 150) / 149.0);
            }
            if (block % 25 == 3) {
                data->Changes().Add(kBypassParamId, 0, block % 50 == 3 ? 1.0 : 0.0);
            }
            const int frames = block % 7 == 0 ? 4 * kBlock : kBlock;
            plugin.Plugin().Process(data->Block(frames));
            data->Advance(frames);
        }
        // A parameter flush: no audio, only changes.
        data->Changes().Add(0, 0, 0.5);
        plugin.Plugin().Process(data->Block(0));
    });
    EXPECT_EQ(allocations, 0);
}

INSTANTIATE_TEST_SUITE_P(SampleSizes, ProcessAllocationTest,
                         ::testing::Values(Steinberg::Vst::kSample32, Steinberg::Vst::kSample64));

TEST(InstanceHeapTest, OneInstanceHoldsLessThanOneMebibyteAfterInitialize)
{
    // The first instance also makes the module's lasting objects (factory
    // statics, SDK singletons); measure a second one.
    HostedPlugin first(ToneloomBundle());
    ASSERT_TRUE(first.Start(kRate, kBlock));

    const size_t before = mallinfo2().uordblks;
    HostedPlugin second(ToneloomBundle());
    ASSERT_EQ(second.Plugin().Initialize(second.application->unknownCast()), kResultOk);
    const size_t afterInitialize = mallinfo2().uordblks;
    ASSERT_EQ(second.Plugin().Setup(kRate, kBlock), kResultOk);
    const size_t afterSetup = mallinfo2().uordblks;

    const long initializeBytes = static_cast<long>(afterInitialize - before);
    const long setupBytes = static_cast<long>(afterSetup - before);
    std::printf("heap held by one instance: %ld bytes after initialize, %ld bytes after "
                "setupProcessing (%d-sample blocks)\n",
                initializeBytes, setupBytes, kBlock);
    RecordProperty("InstanceHeapBytesAfterInitialize", static_cast<int>(initializeBytes));
    RecordProperty("InstanceHeapBytesAfterSetup", static_cast<int>(setupBytes));
    EXPECT_LT(initializeBytes, kBytesPerMiB);
}

} // namespace
} // namespace toneloom::testing
